#pragma once

#include "forms/forms.h"

#include <memory>

namespace Ui {
class frmIntro;
}

namespace tintel {

class Ticker;

// The splash: refuses a second copy, writes the start-up settings, hands over after two ticks.
class frmIntro final : public Form
{
    Q_OBJECT
public:
    explicit frmIntro(Forms& forms);
    ~frmIntro() override;

    void Form_Load() override;
    void Form_Unload() override;
    void Timer1_Timer();

    qint16 compteur() const { return m_compteur; }
    Ticker* timer() const { return m_timer; }

protected:
    void placeWindow() override;

private:
    std::unique_ptr<Ui::frmIntro> m_ui;
    Ticker* m_timer;
    qint16 m_compteur = 0;
};

} // namespace tintel
