#pragma once

#include "windows/forms.h"

#include <memory>

namespace Ui {
class frmNouveau;
}

namespace tintel {

class Ticker;

// Where the user enters an alarm: a time, a message, a live clock.
class frmNouveau final : public Form
{
    Q_OBJECT
public:
    explicit frmNouveau(Forms& forms);
    ~frmNouveau() override;

    void Form_Load() override;
    void Form_QueryUnload(bool& cancel) override;
    void Timer1_Timer();
    void txtHeure_KeyPress(char16_t& KeyAscii);
    void cmdValider_Click();
    void cmdAnnuler_Click();

    Ui::frmNouveau& ui() const { return *m_ui; }
    Ticker* timer() const { return m_timer; }

protected:
    void escapePressed() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool acceptsPastedText(const QString& text);

    std::unique_ptr<Ui::frmNouveau> m_ui;
    Ticker* m_timer;
};

} // namespace tintel
