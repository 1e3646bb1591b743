#pragma once

#include "platform/messageboxes.h"

namespace tintel {

// QMessageBox with French captions, as on the desktop the texts are written for. A window of
// the program all the same: its modal loop holds back the freeing of unloaded windows.
class QtMessageBoxes final : public MessageBoxes
{
public:
    Message::Answer show(QWidget* parent, const Message& message) override;
};

} // namespace tintel
