#include "windows/frmMessage.h"
#include "ui_frmMessage.h"

#include "forms/look.h"
#include "info/functionkeys.h"
#include "platform/windowmanager.h"

#include <QApplication>
#include <QTimer>

namespace tintel {

frmMessage::frmMessage(Forms& forms)
    : FunctionKeyForm(forms), m_ui(std::make_unique<Ui::frmMessage>())
{
    m_ui->setupUi(this);
    setKeyPreview(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setWindowFont(this);
    applyFont(m_ui->txtTexte, QStringLiteral("MS Sans Serif"), 8.25, true);
    setBackground(m_ui->txtTexte, QColor(255, 255, 0));
    m_ui->cmdOK->setFocus();
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmMessage::cmdOK_Click);
    fitLabels(this);
}

frmMessage::~frmMessage() = default;

void frmMessage::Form_Load()
{
    // Always on top before the native window exists, which placing creates: Qt recreates a
    // native window whose stays-on-top flag changed before its first showing.
    platform().windows.setOnTop(this, true, pos());
    placeWindow();
    setWindowTitle(QStringLiteral("votre message de ") + record().gHeureCible);
    m_ui->txtTexte->setPlainText(record().gTexteMessage);
}

void frmMessage::showEvent(QShowEvent* event)
{
    Form::showEvent(event);
    // A desktop that keeps a new window behind the user's current one still flashes this one.
    // After the map: window managers take the request for mapped windows only.
    QTimer::singleShot(0, this, [this] { askForAttention(); });
}

void frmMessage::changeEvent(QEvent* event)
{
    Form::changeEvent(event);
    // The user went on in another program with the alarm unanswered.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        QTimer::singleShot(0, this, [this] { askForAttention(); });
}

void frmMessage::askForAttention()
{
    // Not while a window of the program opened from here (F1, F2) has the focus.
    if (isVisible() && !QApplication::activeWindow() && QApplication::activeModalWidget() == this)
        QApplication::alert(this);
}

void frmMessage::placeWindow()
{
    centreOnScreen();
}

void frmMessage::cmdOK_Click()
{
    forms().unload(this);
}

} // namespace tintel
