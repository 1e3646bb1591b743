#pragma once

#include "info/functionkeys.h"

#include <array>
#include <memory>

class QLabel;
class QMouseEvent;

namespace Ui {
class frmNouveau;
}

namespace tintel {

class Ticker;

// Where the user enters an alarm: a time, a message, a live clock.
class frmNouveau final : public FunctionKeyForm
{
    Q_OBJECT
public:
    explicit frmNouveau(Forms& forms);
    ~frmNouveau() override;

    void Form_Load() override;
    void Form_Unload() override;
    void Form_QueryUnload(bool& cancel) override;
    void Timer1_Timer();
    void txtHeure_KeyPress(char16_t& KeyAscii);
    void cmdValider_Click();
    void cmdAnnuler_Click();

    // The link labels along the bottom edge: a click runs the key of the same number.
    void Label3_Click(qint16 Index);
    void Label3_MouseMove(qint16 Index, qint16 Button, qint16 Shift, float X, float Y);
    void Form_MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void Frame1_MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void txtMessage_MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void cmdValider_MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void cmdAnnuler_MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    QLabel* Label3(qint16 index) const;

    Ui::frmNouveau& ui() const { return *m_ui; }
    Ticker* timer() const { return m_timer; }

protected:
    void placeWindow() override;
    void escapePressed() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool acceptsPastedText(const QString& text);
    void clearLinks();
    bool mouseMoved(QObject* watched, QMouseEvent* event);

    std::unique_ptr<Ui::frmNouveau> m_ui;
    Ticker* m_timer;
    std::array<QLabel*, 4> m_label3{};
};

} // namespace tintel
