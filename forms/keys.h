#pragma once

#include <QtGlobal>

class QKeyEvent;

namespace tintel {

// Virtual-key codes of the platform that the key handlers receive (VK_F1 to VK_F4).
inline constexpr qint16 kKeyF1 = 112;
inline constexpr qint16 kKeyF2 = 113;
inline constexpr qint16 kKeyF3 = 114;
inline constexpr qint16 kKeyF4 = 115;
inline constexpr qint16 kKeyF10 = 121;
// The context-menu key (VK_APPS).
inline constexpr qint16 kKeyApps = 93;
inline constexpr qint16 kShiftMask = 1;

// The platform's virtual-key code of a key press (112 for F1) and its Shift, Ctrl, Alt mask.
qint16 virtualKeyCode(const QKeyEvent& event);
qint16 shiftMask(const QKeyEvent& event);

} // namespace tintel
