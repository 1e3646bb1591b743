#include "platform/windowmanager.h"

#include <QWidget>

namespace tintel {

void QtWindowManager::setOnTop(QWidget* window, bool onTop, QPoint pixelPos)
{
    const bool visible = window->isVisible();
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        // Changing the flag recreates the native window, which hides a shown one.
        window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
    window->move(pixelPos);
    if (visible && !window->isVisible())
        window->show();
}

} // namespace tintel
