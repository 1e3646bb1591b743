#pragma once

#include "info/functionkeys.h"

#include <QDate>
#include <QPixmap>

#include <memory>

namespace Ui {
class frmTintel;
}

class QLabel;
class QRegion;
class QScreen;

namespace tintel {

class Ticker;

// The countdown window in the top right-hand corner, always on top until told otherwise.
class frmTintel final : public FunctionKeyForm
{
    Q_OBJECT
public:
    explicit frmTintel(Forms& forms);
    ~frmTintel() override;

    // Makes any window always on top, or an ordinary window again, at its own position.
    static void SetOnTop(Platform& platform, QWidget* window, bool on_top);

    void Form_Load() override;
    void Form_Unload() override;
    void Form_QueryUnload(bool& cancel) override;
    void Form_Resize();
    void Form_KeyDown(qint16& KeyCode, qint16& Shift) override;
    void Timer1_Timer();
    void cmdOnTop_Click();
    void cmdReduire_Click();
    void txtTintel_Click();
    // Whether a click on the window could reach it now.
    bool clickable() const;

    // The caption of txtTintel, written by the new-alarm window before it shows this one.
    void setAlarmTime(const QString& text);
    bool mOnTop() const { return m_mOnTop; }
    Ui::frmTintel& ui() const { return *m_ui; }
    Ticker* timer() const { return m_timer; }

protected:
    void placeWindow() override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One tick of the countdown; the tick run as the window is shown leaves firing to the timer.
    void tick(bool mayFire);
    // Other windows hide the whole of this one, or a part of it shows again.
    void coveredChanged(bool covered);
    // Sets a label's text, adding where it lies to changed if the text is new.
    static void setLabel(QLabel* label, const QString& text, QRegion& changed);
    void followScreen();
    void watchScreen(QScreen* screen);
    void fire();
    QString timeLeftSentence() const;
    void prepareMessage();
    // The picture of txtTintel, taken again when what it shows changes.
    void drawAlarmTime();
    bool paintAlarmTime();

    std::unique_ptr<Ui::frmTintel> m_ui;
    Ticker* m_timer;
    bool m_mOnTop = false;
    // One activation fires once, whatever the ticks and the clock do.
    bool m_fired = false;
    bool m_covered = false;
    // The time left as last told to a screen reader.
    QString m_spokenSentence;
    // How long before the alarm the message window's resources are loaded, in seconds.
    static constexpr int kPrepareSeconds = 10;
    bool m_messagePrepared = false;
    QMetaObject::Connection m_screenWatch;
    // The date lbljour shows, formatted again only when the day changes.
    QDate m_shownDate;
    QPixmap m_alarmTimePicture;
    QString m_alarmTimeDrawn;
    bool m_drawingAlarmTime = false;
    bool m_redrawScheduled = false;
};

} // namespace tintel
