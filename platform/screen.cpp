#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace tintel {

QSize PrimaryScreen::sizeTwips() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return screen->geometry().size() * kTwipsPerPixel;
}

} // namespace tintel
