#include "windows/look.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLibraryInfo>
#include <QPalette>
#include <QTranslator>
#include <QWidget>

namespace tintel {

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("Bookman Old Style"), QStringLiteral("URW Bookman"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Serif"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Tempus Sans ITC"), QStringLiteral("Comic Neue"));
}

void setUpApplication()
{
    installFontSubstitutions();
    // Every text of the program is French, so Qt's own (the text boxes' menus, standard buttons)
    // are too, whatever the user's locale. Without Debian's translations they stay English.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_fr"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
    // The desktop entry's id, by which task bars match the windows to the menu entry. On X11 the
    // match goes by the window class, the executable's name, which the entry names as its
    // StartupWMClass.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Tintel"));
    // Parentless boxes, such as the refusal of a second copy, carry the program's icon too.
    QApplication::setWindowIcon(programIcon());
}

void applyFont(QWidget* widget, const QString& family, double pointSize, bool bold, int weight)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    if (weight > 0)
        font.setWeight(static_cast<QFont::Weight>(weight));
    else
        font.setBold(bold);
    widget->setFont(font);
}

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

void setBackground(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Base, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setWindowFont(QWidget* window)
{
    applyFont(window, QStringLiteral("MS Sans Serif"), 8.25);
}

void fitLabels(QWidget* window)
{
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->wordWrap() || label->text().isEmpty() || !label->parentWidget())
            continue;
        const int needed =
            label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin() + 2;
        QRect box = label->geometry();
        if (needed <= box.width())
            continue;
        const int parentWidth = label->parentWidget()->width();
        if (box.right() >= parentWidth - 1)
            box.setLeft(std::max(0, box.right() - needed + 1));
        else
            box.setWidth(std::min(needed, parentWidth - box.left()));
        label->setGeometry(box);
    }
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/tintel-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace tintel
