#pragma once

#include "info/functionkeys.h"

#include <memory>

class QKeyEvent;

namespace Ui {
class frmMessage;
}

namespace tintel {

// Delivers the alarm: its message in a yellow box, centred and in front of everything.
class frmMessage final : public FunctionKeyForm
{
    Q_OBJECT
public:
    explicit frmMessage(Forms& forms);
    ~frmMessage() override;

    void Form_Load() override;
    void cmdOK_Click();

    Ui::frmMessage& ui() const { return *m_ui; }

protected:
    void placeWindow() override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void askForAttention();
    // Whether the key answers the message: Enter, Space, Escape, the button's access key.
    bool answers(const QKeyEvent& key) const;

    std::unique_ptr<Ui::frmMessage> m_ui;
    bool m_attentionAsked = false;
};

} // namespace tintel
