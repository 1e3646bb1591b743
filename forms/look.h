#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

class QWidget;

namespace tintel {

// Desktop faces named by the layouts, and the faces that stand in for them here.
void installFontSubstitutions();

// Everything the application sets up once its QApplication exists: the font substitutions, Qt's
// own texts in French, and the names and icon by which the desktop knows the program.
void setUpApplication();

void applyFont(QWidget* widget, const QString& family, double pointSize, bool bold = false,
               int weight = -1);
void setTextColor(QWidget* widget, const QColor& color);
void setBackground(QWidget* widget, const QColor& color);
// The window font of every layout: MS Sans Serif 8.25 pt.
void setWindowFont(QWidget* window);
// The stand-in faces, or whatever faces a machine has, run wider than the desktop faces the
// layouts were drawn for. A one-line label or a button too narrow for its text grows into the
// free space of its row; where that is too little, its font is made smaller until the text fits.
// Controls keep their places and sizes wherever the text fits.
void fitLabels(QWidget* window);

// The program's icon, in the sizes the desktop asks for.
QIcon programIcon();

} // namespace tintel
