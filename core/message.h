#pragma once

#include <QString>

namespace tintel {

// A modal message as the program shows it: the rules build these, the windows show them.
struct Message
{
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Information, Critical };
    enum class Answer { Ok, Yes, No };

    QString text;
    QString title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::Information;
    // Only looked at for Yes and No.
    Answer defaultButton = Answer::Ok;

    friend bool operator==(const Message&, const Message&) = default;
};

} // namespace tintel
