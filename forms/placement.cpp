// Where a window goes on its screen, in twips, frame included, and placed again once framed.
#include "forms/forms.h"

#include "platform/screen.h"
#include "platform/windowmanager.h"

#include <QTimer>

namespace tintel {

QSizeF Form::screenSizeTwips() const
{
    return platform().screen.geometryTwips(this).size();
}

QSizeF Form::outerSizeTwips()
{
    m_placedOuter = platform().windows.outerSizeTwips(this);
    return m_placedOuter;
}

void Form::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_checkedFrame || m_placedOuter.isEmpty())
        return;
    m_checkedFrame = true;
    // A window manager that does not tell the frame before the first map, or that is slow to
    // (a mutter just started loads its theme first): place the window again once it is framed.
    // Others frame it as they said, and it stays where it is.
    for (const int ms : {100, 500, 1500}) {
        QTimer::singleShot(ms, this, [this] {
            if (platform().windows.outerSizeTwips(this) != m_placedOuter)
                placeWindow();
        });
    }
}

void Form::centreOnScreen(Precision precision)
{
    const QSizeF screen = screenSizeTwips();
    const QSizeF window = outerSizeTwips();
    if (precision == Precision::Single) {
        moveTwips(centredOffset(float(screen.width()), float(window.width())),
                  centredOffset(float(screen.height()), float(window.height())));
    } else {
        moveTwips(centredOffset(screen.width(), window.width()),
                  centredOffset(screen.height(), window.height()));
    }
}

void Form::placeTopRight()
{
    const QSizeF screen = screenSizeTwips();
    const QSizeF window = outerSizeTwips();
    const QMarginsF panels = platform().screen.panelsTwips(this);
    moveTwips(screen.width() - panels.right() - window.width(), panels.top());
}

void Form::moveTwips(double left, double top)
{
    const QPointF origin = platform().screen.geometryTwips(this).topLeft();
    platform().windows.moveOuterTwips(this, origin + QPointF(left, top));
}

} // namespace tintel
