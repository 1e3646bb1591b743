#include "windows/frmNouveau.h"
#include "ui_frmNouveau.h"

#include "core/entry.h"
#include "core/startupsettings.h"
#include "forms/look.h"
#include "info/functionkeys.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/messageboxes.h"
#include "platform/runningprograminfo.h"
#include "platform/ticker.h"
#include "windows/frmTintel.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <algorithm>

namespace tintel {

namespace {

// The message exactly as typed: toPlainText() would turn the no-break spaces that French puts
// before ":", "?" or "!" into plain spaces.
QString typedText(const QPlainTextEdit* box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

} // namespace

frmNouveau::frmNouveau(Forms& forms)
    : FunctionKeyForm(forms), m_ui(std::make_unique<Ui::frmNouveau>()),
      m_timer(platform().tickers.create(TickerKind::WallSecond, this))
{
    m_ui->setupUi(this);
    m_label3 = {m_ui->Label3_0, m_ui->Label3_1, m_ui->Label3_2, m_ui->Label3_3};
    setKeyPreview(true);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    setWindowFont(this);
    const QString sansSerif = QStringLiteral("MS Sans Serif");
    applyFont(m_ui->lbljour, sansSerif, 9.75, true);
    applyFont(m_ui->lblHeure, sansSerif, 9.75, true);
    const QCursor hand(QPixmap(QStringLiteral(":/cursors/hand.png")), 12, 1);
    for (QLabel* link : m_label3) {
        setTextColor(link, QColor(0, 0, 255));
        link->setCursor(hand);
    }
    // The surfaces whose pointer moves highlight or clear the links; the others stay silent.
    for (QWidget* surface : std::initializer_list<QWidget*>{
             this, m_ui->Frame1, m_ui->txtMessage, m_ui->txtMessage->viewport(), m_ui->cmdValider,
             m_ui->cmdAnnuler, m_label3[0], m_label3[1], m_label3[2], m_label3[3]}) {
        surface->setMouseTracking(true);
        if (surface != m_ui->txtMessage)
            surface->installEventFilter(this);
    }

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
    fitLabels(this);
}

frmNouveau::~frmNouveau() = default;

void frmNouveau::Form_Load()
{
    record().gCheminAide =
        DossierApplication(platform().program.executableFolder(), QDir::separator()) +
        QStringLiteral("aide.htm");

    placeWindow();
    m_timer->start();
}

void frmNouveau::Form_Unload()
{
    m_timer->stop();
}

void frmNouveau::placeWindow()
{
    centreOnScreen();
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
        m_ui->txtHeure->text(), typedText(m_ui->txtMessage), platform().clock.now(), record());
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

QLabel* frmNouveau::Label3(qint16 index) const
{
    return index >= 0 && std::size_t(index) < m_label3.size() ? m_label3[std::size_t(index)]
                                                              : nullptr;
}

void frmNouveau::Label3_Click(qint16 Index)
{
    if (!Label3(Index))
        return;
    qint16 keyCode = static_cast<qint16>(kKeyF1 + Index);
    qint16 shift = 0;
    Form_KeyDown(keyCode, shift);
}

void frmNouveau::Label3_MouseMove(qint16 Index, qint16, qint16, float, float)
{
    QLabel* link = Label3(Index);
    if (!link)
        return;
    setTextColor(link, QColor(255, 0, 0));
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
}

void frmNouveau::clearLinks()
{
    for (QLabel* link : m_label3) {
        setTextColor(link, QColor(0, 0, 255));
        QFont font = link->font();
        font.setUnderline(false);
        link->setFont(font);
    }
}

void frmNouveau::Form_MouseMove(qint16, qint16, float, float)
{
    clearLinks();
}

void frmNouveau::Frame1_MouseMove(qint16, qint16, float, float)
{
    clearLinks();
}

void frmNouveau::txtMessage_MouseMove(qint16, qint16, float, float)
{
    clearLinks();
}

void frmNouveau::cmdValider_MouseMove(qint16, qint16, float, float)
{
    clearLinks();
}

void frmNouveau::cmdAnnuler_MouseMove(qint16, qint16, float, float)
{
    clearLinks();
}

bool frmNouveau::mouseMoved(QObject* watched, QMouseEvent* event)
{
    const float x = float(event->position().x());
    const float y = float(event->position().y());
    const auto button = static_cast<qint16>(event->buttons() & 0x7);
    if (const auto link = std::find(m_label3.begin(), m_label3.end(), watched);
        link != m_label3.end()) {
        Label3_MouseMove(static_cast<qint16>(link - m_label3.begin()), button, 0, x, y);
        return true;
    }
    // A move the child under the pointer ignored travels up to its parent; it counts for the
    // parent only when the pointer is on the parent's own surface.
    auto* widget = static_cast<QWidget*>(watched);
    const bool ownSurface = !widget->childAt(event->position().toPoint());
    if (watched == this && ownSurface)
        Form_MouseMove(button, 0, x, y);
    else if (watched == m_ui->Frame1 && ownSurface)
        Frame1_MouseMove(button, 0, x, y);
    else if (watched == m_ui->txtMessage->viewport())
        txtMessage_MouseMove(button, 0, x, y);
    else if (watched == m_ui->cmdValider)
        cmdValider_MouseMove(button, 0, x, y);
    else if (watched == m_ui->cmdAnnuler)
        cmdAnnuler_MouseMove(button, 0, x, y);
    return false;
}

bool frmNouveau::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        mouseMoved(watched, static_cast<QMouseEvent*>(event));
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const auto link = std::find(m_label3.begin(), m_label3.end(), watched);
        if (link != m_label3.end() && mouse->button() == Qt::LeftButton &&
            (*link)->rect().contains(mouse->position().toPoint())) {
            Label3_Click(static_cast<qint16>(link - m_label3.begin()));
            return true;
        }
    }
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

#include "moc_frmNouveau.cpp"
