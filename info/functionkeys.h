#pragma once

#include "core/message.h"
#include "forms/forms.h"
#include "forms/keys.h"

#include <QtGlobal>

namespace tintel {

inline constexpr char16_t kWebPage[] = u"http://www.example.org/kwj/index.html";
inline constexpr char16_t kMailAddress[] = u"mailto:kwj@example.org?subject=Tintel journalière";

// The help, about, web and mail actions of F1 to F4, shared by the four main windows; window is
// the owner of the shell requests. Other keys do nothing; neither argument is changed.
void FunctionKeyDown(Form& window, qint16& KeyCode, qint16& Shift);

// The new-alarm, countdown, what-next and message windows: their key-down handler is the
// function keys.
class FunctionKeyForm : public Form
{
public:
    using Form::Form;
    void Form_KeyDown(qint16& KeyCode, qint16& Shift) override
    {
        FunctionKeyDown(*this, KeyCode, Shift);
    }
};

Message helpMissingMessage(const QString& applicationFolder);
Message failureMessage(int number, const QString& description);

} // namespace tintel
