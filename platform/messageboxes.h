#pragma once

#include "core/message.h"

class QWidget;

namespace tintel {

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Shows the message modally and answers the button pressed.
    virtual Message::Answer show(QWidget* parent, const Message& message) = 0;
};

} // namespace tintel
