#pragma once

#include <QMarginsF>
#include <QPoint>
#include <QRectF>

class QWidget;

namespace tintel {

// Twips and device-independent pixels, at the fixed 15 twips a pixel of a 96 dpi display: the
// program's one conversion between the two.
inline constexpr int kTwipsPerPixel = 15;
QPointF twipsFromPixels(QPointF pixels);
QSizeF twipsFromPixels(QSizeF pixels);
QPointF pixelsFromTwips(QPointF twips);
QSizeF pixelsFromTwips(QSizeF twips);
// To the nearest integer, a half to the even neighbour.
QPoint roundHalfEven(QPointF point);

class Screen
{
public:
    virtual ~Screen() = default;
    // The whole screen the window is on (the primary screen for none), in twips: device pixels
    // over the device pixel ratio, times 15.
    virtual QRectF geometryTwips(const QWidget* window = nullptr) const = 0;
    // What panels keep at the screen's edges where the window manager leaves windows free to
    // cover them, in twips.
    virtual QMarginsF panelsTwips(const QWidget* window = nullptr) const = 0;
};

class QtScreen final : public Screen
{
public:
    QRectF geometryTwips(const QWidget* window = nullptr) const override;
    QMarginsF panelsTwips(const QWidget* window = nullptr) const override;
};

} // namespace tintel
