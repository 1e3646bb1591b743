#include "platform/screen.h"

#include "platform/x11/x11.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace tintel {

QPointF twipsFromPixels(QPointF pixels)
{
    return pixels * kTwipsPerPixel;
}

QSizeF twipsFromPixels(QSizeF pixels)
{
    return pixels * kTwipsPerPixel;
}

QPointF pixelsFromTwips(QPointF twips)
{
    return twips / kTwipsPerPixel;
}

QSizeF pixelsFromTwips(QSizeF twips)
{
    return twips / kTwipsPerPixel;
}

QPoint roundHalfEven(QPointF point)
{
    return QPoint(static_cast<int>(std::nearbyint(point.x())),
                  static_cast<int>(std::nearbyint(point.y())));
}

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
    return QRectF(twipsFromPixels(pixels.topLeft()), twipsFromPixels(pixels.size()));
}

QMarginsF QtScreen::panelsTwips(const QWidget* window) const
{
    const QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
    const std::optional<QMargins> struts = x11::panelStruts();
    if (!screen || !struts)
        return {};
    return QMarginsF(*struts) * (kTwipsPerPixel / screen->devicePixelRatio());
}

} // namespace tintel
