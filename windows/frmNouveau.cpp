#include "windows/frmNouveau.h"
#include "ui_frmNouveau.h"

#include "core/entry.h"
#include "core/startupsettings.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/messageboxes.h"
#include "platform/programinfo.h"
#include "platform/screen.h"
#include "platform/ticker.h"
#include "windows/frmTintel.h"
#include "windows/look.h"

#include <QDir>
#include <QKeyEvent>

namespace tintel {

frmNouveau::frmNouveau(Forms& forms)
    : Form(forms), m_ui(std::make_unique<Ui::frmNouveau>()),
      m_timer(platform().tickers.create(TickerKind::WallSecond, this))
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    setWindowFont(this);
    const QString sansSerif = QStringLiteral("MS Sans Serif");
    applyFont(m_ui->lbljour, sansSerif, 9.75, true);
    applyFont(m_ui->lblHeure, sansSerif, 9.75, true);
    for (QLabel* link : {m_ui->Label3_0, m_ui->Label3_1, m_ui->Label3_2, m_ui->Label3_3})
        setTextColor(link, QColor(0, 0, 255));

    m_ui->txtHeure->keyFilter = [this](char16_t code) {
        txtHeure_KeyPress(code);
        return code != 0;
    };
    m_ui->txtHeure->textFilter = [this](const QString& text) { return acceptsPastedText(text); };
    m_ui->txtMessage->installEventFilter(this);
    m_ui->txtHeure->setFocus();

    connect(m_timer, &Ticker::tick, this, &frmNouveau::Timer1_Timer);
    connect(m_ui->cmdValider, &QPushButton::clicked, this, &frmNouveau::cmdValider_Click);
    connect(m_ui->cmdAnnuler, &QPushButton::clicked, this, &frmNouveau::cmdAnnuler_Click);
}

frmNouveau::~frmNouveau() = default;

void frmNouveau::Form_Load()
{
    record().gCheminAide =
        DossierApplication(platform().program.executableFolder(), QDir::separator()) +
        QStringLiteral("aide.htm");

    const QSize screen = platform().screen.sizeTwips();
    const QSize window = outerSizeTwips();
    moveTwips(screen.width() / 2.0 - window.width() / 2.0,
              screen.height() / 2.0 - window.height() / 2.0);
    m_timer->start();
}

void frmNouveau::Form_QueryUnload(bool&)
{
    // An outside close is granted without a question and leaves the settings alone.
}

void frmNouveau::Timer1_Timer()
{
    const QDateTime now = platform().clock.now();
    m_ui->lblHeure->setText(longTimeText(now.time()));
    m_ui->lbljour->setText(dateText(now.date()));
}

void frmNouveau::txtHeure_KeyPress(char16_t& KeyAscii)
{
    if (isTimeCharAccepted(KeyAscii))
        return;
    platform().beeper.beep();
    KeyAscii = 0;
    platform().boxes.show(this, refusedCharacterMessage());
}

bool frmNouveau::acceptsPastedText(const QString& text)
{
    if (isTimeTextAccepted(text))
        return true;
    platform().beeper.beep();
    platform().boxes.show(this, refusedCharacterMessage());
    return false;
}

void frmNouveau::cmdValider_Click()
{
    const Activation activation = checkActivation(
        m_ui->txtHeure->text(), m_ui->txtMessage->toPlainText(), platform().clock.now(), record());
    switch (activation.outcome) {
    case ActivationOutcome::TimeMissing:
        platform().boxes.show(this, activation.message);
        m_ui->txtHeure->setFocus();
        return;
    case ActivationOutcome::MessageMissing:
        platform().boxes.show(this, activation.message);
        m_ui->txtMessage->setFocus();
        return;
    case ActivationOutcome::TimeInvalid:
        platform().boxes.show(this, activation.message);
        return;
    case ActivationOutcome::Accepted:
    case ActivationOutcome::PastTime:
        break;
    }

    // Writing the label loads the countdown window, hidden, if it is not loaded yet.
    forms().form<frmTintel>().setAlarmTime(activation.shortForm);

    if (activation.outcome == ActivationOutcome::PastTime) {
        if (platform().boxes.show(this, pastTimeQuestion()) != Message::Answer::Yes) {
            m_ui->txtHeure->clear();
            m_ui->txtHeure->setFocus();
            return;
        }
        acceptForTomorrow(record());
    }
    forms().unload(this);
    forms().show<frmTintel>();
}

void frmNouveau::cmdAnnuler_Click()
{
    if (platform().boxes.show(this, quitConfirmation()) != Message::Answer::Yes)
        return;
    markQuit(platform().settings, platform().program);
    forms().terminateNow();
}

void frmNouveau::escapePressed()
{
    m_ui->cmdAnnuler->click();
}

bool frmNouveau::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->txtMessage && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter activates, as in every box of the window; Ctrl+Enter is the line break.
            if (key->modifiers() & Qt::ControlModifier)
                m_ui->txtMessage->insertPlainText(QStringLiteral("\n"));
            else
                m_ui->cmdValider->click();
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

} // namespace tintel
