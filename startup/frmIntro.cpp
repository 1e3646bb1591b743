#include "startup/frmIntro.h"
#include "ui_frmIntro.h"

#include "core/startupsettings.h"
#include "forms/look.h"
#include "platform/clock.h"
#include "platform/messageboxes.h"
#include "platform/runningprograminfo.h"
#include "platform/singleinstance.h"
#include "platform/ticker.h"
#include "windows/frmNouveau.h"

namespace tintel {

frmIntro::frmIntro(Forms& forms)
    : Form(forms), m_ui(std::make_unique<Ui::frmIntro>()),
      m_timer(platform().tickers.create(TickerKind::Interval, this))
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFixedSize(size());
    setWindowFont(this);
    setBackground(this, Qt::white);
    applyFont(m_ui->Label1, QStringLiteral("Tempus Sans ITC"), 14.25, true);
    // The splash takes no key and no click: nothing on it can have the focus.
    setFocusPolicy(Qt::NoFocus);
    connect(m_timer, &Ticker::tick, this, &frmIntro::Timer1_Timer);

    fitLabels(this);
    placeWindow();
}

frmIntro::~frmIntro() = default;

void frmIntro::Form_Load()
{
    if (platform().instance.anotherCopyRunning(platform().program.executableBaseName())) {
        platform().boxes.show(nullptr, {QStringLiteral("Programme déja en cours d'utilisation..."),
                                        QStringLiteral("Pensez-Y"), Message::Buttons::Ok,
                                        Message::Icon::Information, Message::Answer::Ok});
        forms().terminateNow();
        return;
    }
    m_timer->start();
    const ProgramInfo& program = platform().program;
    m_ui->lblVersion->setText(
        versionText(program.versionMajor(), program.versionMinor(), program.versionRevision()));
    runStartupSettings(platform().settings, program, platform().clock.now().date());
}

void frmIntro::placeWindow()
{
    // Frameless, but a tiling window manager frames it all the same: centred with that frame.
    centreOnScreen();
}

void frmIntro::Timer1_Timer()
{
    ++m_compteur;
    if (m_compteur == 2)
        forms().unload(this);
}

void frmIntro::Form_Unload()
{
    m_timer->stop();
    forms().show<frmNouveau>();
}

} // namespace tintel

#include "moc_frmIntro.cpp"
