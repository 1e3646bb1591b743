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

// QMessageBox with French captions, as on the desktop the texts are written for.
class QtMessageBoxes final : public MessageBoxes
{
public:
    Message::Answer show(QWidget* parent, const Message& message) override;
};

} // namespace tintel
