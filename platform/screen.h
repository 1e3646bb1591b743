#pragma once

#include <QSize>

namespace tintel {

inline constexpr int kTwipsPerPixel = 15;

class Screen
{
public:
    virtual ~Screen() = default;
    // The whole primary screen, in twips (device-independent pixels times 15).
    virtual QSize sizeTwips() const = 0;
};

class PrimaryScreen final : public Screen
{
public:
    QSize sizeTwips() const override;
};

} // namespace tintel
