#pragma once

#include <QRectF>

class QWidget;

namespace tintel {

inline constexpr int kTwipsPerPixel = 15;

class Screen
{
public:
    virtual ~Screen() = default;
    // The whole screen the window is on (the primary screen for none), in twips: device pixels
    // over the device pixel ratio, times 15.
    virtual QRectF geometryTwips(const QWidget* window = nullptr) const = 0;
};

class QtScreen final : public Screen
{
public:
    QRectF geometryTwips(const QWidget* window = nullptr) const override;
};

} // namespace tintel
