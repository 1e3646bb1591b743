#pragma once

#include <QPoint>

class QWidget;

namespace tintel {

class WindowManager
{
public:
    virtual ~WindowManager() = default;
    // Makes the window always on top, or an ordinary window again, and puts it at pixelPos.
    virtual void setOnTop(QWidget* window, bool onTop, QPoint pixelPos) = 0;
};

class QtWindowManager final : public WindowManager
{
public:
    void setOnTop(QWidget* window, bool onTop, QPoint pixelPos) override;
};

} // namespace tintel
