#pragma once

#include <QAccessible>
#include <QString>

#include <functional>

class QWidget;

namespace tintel {

// What a screen reader is told of a widget beyond what Qt tells of it by itself. Every field is
// optional: an empty one leaves Qt's own answer.
struct Spoken
{
    QAccessible::Role role = QAccessible::NoRole;
    // Worked out when asked, so that a text that changes every second sends no event.
    std::function<QString()> name = {};
    // Set: the widget can be checked, and this is its state.
    std::function<bool()> checked = {};
    // Set: the widget offers a Press action that does this.
    std::function<void()> press = {};
};

// Takes effect for the widget from now on; call it before the widget is first shown.
void speak(QWidget* widget, Spoken spoken);

// Tells a screen reader that the check state of a widget given `checked` has changed.
void announceChecked(QWidget* widget);

// Tells a screen reader that the name a widget given `name` answers has changed.
void announceNameChanged(QWidget* widget);

} // namespace tintel
