#include "windows/frmMessage.h"
#include "ui_frmMessage.h"

#include "forms/accessibility.h"
#include "forms/look.h"
#include "info/functionkeys.h"
#include "platform/windowmanager.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

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
    // The user typing in another program would close the message with their next Space or
    // Enter, unread: the window then waits for them to come to it, and asks for attention.
    const bool ownKeyboard = platform().windows.hasKeyboard();
    platform().windows.guardKeyboard(this, ownKeyboard);
    // A screen reader speaks the message as it shows: an alert as it takes the keyboard, a
    // notification as it comes up beside the program the user is in.
    speak(this, {.role = ownKeyboard ? QAccessible::AlertMessage : QAccessible::Notification});
    setAccessibleDescription(record().gTexteMessage);
    // A key goes first to the control that has the focus, one of the window's own.
    for (QWidget* control : findChildren<QWidget*>())
        control->installEventFilter(this);
    installEventFilter(this);
}

bool frmMessage::answers(const QKeyEvent& key) const
{
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Escape:
        return true;
    default:
        // The button's access key (Alt+O).
        return key.modifiers().testFlag(Qt::AltModifier) &&
               QKeySequence::mnemonic(m_ui->cmdOK->text()).matches(key.keyCombination()) ==
                   QKeySequence::ExactMatch;
    }
}

bool frmMessage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        // Once for the message: it is exposed again at every uncovering.
        windowHandle()->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { askForAttention(); });
    }
    // A key held down since before the window had the keyboard (its press meant for another
    // window, its repeats coming here) never answers the alarm; held Down or Page Down still
    // scroll a long message.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (answers(*key) && (key->isAutoRepeat() ||
                              platform().windows.heldFromBefore(this, key->nativeScanCode()))) {
            // An accepted override keeps the key from the access key and other shortcuts.
            event->accept();
            return true;
        }
    }
    return FunctionKeyForm::eventFilter(watched, event);
}

void frmMessage::showEvent(QShowEvent* event)
{
    Form::showEvent(event);
    // A window shown without the keyboard asks for attention once mapped: window managers
    // take the request for mapped windows only.
    if (!m_attentionAsked) {
        m_attentionAsked = true;
        windowHandle()->installEventFilter(this);
    }
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

#include "moc_frmMessage.cpp"
