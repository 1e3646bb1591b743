#pragma once

#include "platform/message.h"

#include <QtGlobal>

class QKeyEvent;

namespace tintel {

class Form;

inline constexpr char16_t kWebPage[] = u"http://www.example.org/kwj/index.html";
inline constexpr char16_t kMailAddress[] = u"mailto:kwj@example.org?subject=Tintel journalière";

// Virtual-key codes of the platform that the key handlers receive (VK_F1 to VK_F4).
inline constexpr qint16 kKeyF1 = 112;
inline constexpr qint16 kKeyF2 = 113;
inline constexpr qint16 kKeyF3 = 114;
inline constexpr qint16 kKeyF4 = 115;

// The help, about, web and mail actions of F1 to F4, shared by the four main windows; window is
// the owner of the shell requests. Other keys do nothing; neither argument is changed.
void FunctionKeyDown(Form& window, qint16& KeyCode, qint16& Shift);

// The platform's virtual-key code of a key press (112 for F1) and its Shift, Ctrl, Alt mask.
qint16 virtualKeyCode(const QKeyEvent& event);
qint16 shiftMask(const QKeyEvent& event);

Message helpMissingMessage(const QString& applicationFolder);
Message failureMessage(int number, const QString& description);

} // namespace tintel
