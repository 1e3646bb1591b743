#include "platform/screen.h"

#include "platform/x11.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tintel {

QRectF QtScreen::geometryTwips(const QWidget* window) const
{
    const QScreen* screen = window ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    QRectF pixels = screen->geometry();
    if (const std::optional<QSize> device = x11::screenSize(screen))
        pixels.setSize(QSizeF(*device) / screen->devicePixelRatio());
    return QRectF(pixels.topLeft() * kTwipsPerPixel, pixels.size() * kTwipsPerPixel);
}

} // namespace tintel
