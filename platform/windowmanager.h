#pragma once

#include <QPoint>
#include <QPointF>
#include <QSizeF>

#include <functional>

class QWidget;

namespace tintel {

class WindowManager
{
public:
    virtual ~WindowManager() = default;
    // Makes the window always on top, or an ordinary window again, on the same native window, and
    // puts it at pixelPos when that is not already its place.
    virtual void setOnTop(QWidget* window, bool onTop, QPoint pixelPos) = 0;
    // The client area and the frame the window manager gives the window, in twips (device pixels
    // over the device pixel ratio, times 15); known before the window is first shown.
    virtual QSizeF outerSizeTwips(QWidget* window) = 0;
    // Puts the frame's top-left corner at a point in twips, to the nearest device pixel with a
    // half to the even one.
    virtual void moveOuterTwips(QWidget* window, QPointF twips) = 0;
    // Calls `covered` with true when other windows come to hide the whole window, and with false
    // when a part of it shows again, for as long as the window lives. A desktop that cannot tell
    // never calls it: the window then counts as seen.
    virtual void watchCovered(QWidget* window, std::function<void(bool)> covered) = 0;
    // Whether one of the program's windows has the keyboard, rather than another program's.
    virtual bool hasKeyboard() = 0;
    // Prepares a window about to be shown: without takeKeyboard it comes up above the others
    // and leaves the keyboard where it is until the user activates it; either way the window
    // learns which keys were already held down each time it gets the keyboard.
    virtual void guardKeyboard(QWidget* window, bool takeKeyboard) = 0;
    // Whether the key, by its native scan code, went down before the guarded window last got
    // the keyboard and has not been released since: its presses are the user's old ones.
    virtual bool heldFromBefore(QWidget* window, quint32 scanCode) = 0;
};

class QtWindowManager final : public WindowManager
{
public:
    QtWindowManager();
    void setOnTop(QWidget* window, bool onTop, QPoint pixelPos) override;
    QSizeF outerSizeTwips(QWidget* window) override;
    void moveOuterTwips(QWidget* window, QPointF twips) override;
    void watchCovered(QWidget* window, std::function<void(bool)> covered) override;
    bool hasKeyboard() override;
    void guardKeyboard(QWidget* window, bool takeKeyboard) override;
    bool heldFromBefore(QWidget* window, quint32 scanCode) override;
};

} // namespace tintel
