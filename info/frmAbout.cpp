#include "info/frmAbout.h"
#include "ui_frmAbout.h"

#include "core/startupsettings.h"
#include "core/sysinfo.h"
#include "forms/look.h"
#include "platform/localfiles.h"
#include "platform/messageboxes.h"
#include "platform/runningprograminfo.h"

#include <algorithm>
#include <exception>

namespace tintel {

namespace {

// The layout's widths fit the desktop faces and the design texts; the stand-in faces and the
// load-time texts can be wider.
void widenToText(QLabel* label)
{
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
}

} // namespace

frmAbout::frmAbout(Forms& forms) : Form(forms), m_ui(std::make_unique<Ui::frmAbout>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setWindowFont(this);

    m_ui->picIcon->setPixmap(programIcon().pixmap(32, 32));
    applyFont(m_ui->lblTitle, QStringLiteral("MS Sans Serif"), 13.5, true);
    applyFont(m_ui->lblDescription_1, QStringLiteral("MS Sans Serif"), 9.75);
    applyFont(m_ui->lblAvertissement_1, QStringLiteral("MS Serif"), 6.75);
    for (QLabel* label :
         {m_ui->lblTitle, m_ui->lblVersion, m_ui->lblDescription_0, m_ui->lblDescription_1,
          m_ui->lblAvertissement_0, m_ui->lblAvertissement_1})
        setTextColor(label, Qt::black);
    widenToText(m_ui->lblDescription_0);
    widenToText(m_ui->lblAvertissement_0);
    fitLabels(this);
    // The etched separator: a grey line with a white one just under it.
    setBackground(m_ui->Line1_1, QColor(128, 128, 128));
    setBackground(m_ui->Line1_0, Qt::white);

    m_ui->cmdOK->setFocus();
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(m_ui->cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load()
{
    const ProgramInfo& program = platform().program;
    setWindowTitle(QStringLiteral("À propos de ") + program.title());
    m_ui->lblVersion->setText(
        versionText(program.versionMajor(), program.versionMinor(), program.versionRevision()));
    m_ui->lblTitle->setText(program.title());
    widenToText(m_ui->lblVersion);
    widenToText(m_ui->lblTitle);
    placeWindow();
}

void frmAbout::placeWindow()
{
    centreOnScreen(Precision::Single);
}

void frmAbout::escapePressed()
{
    m_ui->cmdOK->click();
}

void frmAbout::cmdOK_Click()
{
    forms().unload(this);
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    try {
        const std::optional<QString> program =
            findSysInfoProgram(platform().registry, platform().files);
        // An empty path names no program, so it cannot start: the desktop is not asked.
        if (program && !program->isEmpty() && platform().files.startDetached(*program))
            return;
    } catch (const std::exception&) {
        // The search's error trap: any failure ends in the same message as a missing program.
    }
    platform().boxes.show(this, {QStringLiteral("Les informations système ne sont pas "
                                                "disponibles actuellement"),
                                 platform().program.title(), Message::Buttons::Ok,
                                 Message::Icon::None, Message::Answer::Ok});
}

} // namespace tintel

#include "moc_frmAbout.cpp"
