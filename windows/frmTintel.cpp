#include "windows/frmTintel.h"
#include "ui_frmTintel.h"

#include "core/countdown.h"
#include "core/entry.h"
#include "forms/accessibility.h"
#include "forms/look.h"
#include "info/functionkeys.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/screen.h"
#include "platform/ticker.h"
#include "platform/windowmanager.h"
#include "startup/frmQuestion.h"
#include "windows/frmMessage.h"
#include "windows/frmNouveau.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>
#include <QWindowStateChangeEvent>

namespace tintel {

frmTintel::frmTintel(Forms& forms)
    : FunctionKeyForm(forms), m_ui(std::make_unique<Ui::frmTintel>()),
      m_timer(platform().tickers.create(TickerKind::WallSecond, this))
{
    m_ui->setupUi(this);
    setKeyPreview(true);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    setWindowFont(this);

    applyFont(m_ui->txtTintel, QStringLiteral("Bookman Old Style"), 27.75, false, QFont::DemiBold);
    setTextColor(m_ui->txtTintel, QColor(255, 0, 0));
    setBackground(m_ui->txtTintel, Qt::black);
    for (QLabel* label : {m_ui->lblH, m_ui->lblM, m_ui->lblS}) {
        applyFont(label, QStringLiteral("MS Serif"), 6.75);
        setTextColor(label, Qt::white);
        label->setAttribute(Qt::WA_TranslucentBackground);
    }
    applyFont(m_ui->Label1, QStringLiteral("MS Sans Serif"), 12, true);
    m_ui->txtTintel->installEventFilter(this);

    platform().windows.watchCovered(this, [this](bool covered) { coveredChanged(covered); });
    connect(m_timer, &Ticker::tick, this, &frmTintel::Timer1_Timer);
    connect(m_ui->cmdOnTop, &QPushButton::clicked, this, &frmTintel::cmdOnTop_Click);
    connect(m_ui->cmdReduire, &QPushButton::clicked, this, &frmTintel::cmdReduire_Click);
    fitLabels(this);

    // A screen reader reaches the what-next dialog through the alarm time, which says what is
    // left; the dialog opens after the reader's request has been answered, when a click could
    // still open it then.
    speak(m_ui->txtTintel, {.role = QAccessible::StaticText,
                            .name = [this] { return timeLeftSentence(); },
                            .press =
                                [this] {
                                    if (!clickable())
                                        return;
                                    QTimer::singleShot(0, this, [this] {
                                        if (clickable())
                                            txtTintel_Click();
                                    });
                                }});
    speak(m_ui->cmdOnTop, {.role = QAccessible::CheckBox,
                           .checked = [this] { return m_mOnTop; },
                           .press = [this] { m_ui->cmdOnTop->click(); }});
}

frmTintel::~frmTintel() = default;

void frmTintel::SetOnTop(Platform& platform, QWidget* window, bool on_top)
{
    const QPointF twips = twipsFromPixels(QPointF(window->pos()));
    platform.windows.setOnTop(window, on_top, roundHalfEven(pixelsFromTwips(twips)));
}

void frmTintel::Form_Load()
{
    // Always on top before the native window exists: Qt recreates a native window whose
    // stays-on-top flag changed before its first showing. SetOnTop keeps the window where it is.
    m_mOnTop = true;
    SetOnTop(platform(), this, m_mOnTop);
    placeWindow();
    followScreen();
    m_timer->start();
}

void frmTintel::Form_QueryUnload(bool& cancel)
{
    // The window has no close control: a close from outside (a title-bar button the window
    // manager adds, Alt+F4) would lose the alarm without a word. A closing session is the user
    // logging out, which a refusal would cancel.
    cancel = !qApp->isSavingSession();
}

void frmTintel::followScreen()
{
    // A countdown out of sight is of no use: when its screen changes size or goes away, the
    // window goes back to the top right-hand corner of the screen it is then on.
    QWindow* handle = windowHandle();
    if (!handle)
        return;
    connect(handle, &QWindow::screenChanged, this, &frmTintel::watchScreen);
    watchScreen(handle->screen());
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] {
        // Qt moves the window to another screen once the signal has been delivered.
        QTimer::singleShot(0, this, &frmTintel::placeWindow);
    });
}

void frmTintel::watchScreen(QScreen* screen)
{
    disconnect(m_screenWatch);
    if (screen)
        m_screenWatch = connect(screen, &QScreen::geometryChanged, this, &frmTintel::placeWindow);
}

void frmTintel::Form_Unload()
{
    m_timer->stop();
}

void frmTintel::placeWindow()
{
    placeTopRight();
}

void frmTintel::setAlarmTime(const QString& text)
{
    m_ui->txtTintel->setText(text);
    drawAlarmTime();
}

void frmTintel::drawAlarmTime()
{
    m_redrawScheduled = false;
    QLabel* label = m_ui->txtTintel;
    const qreal ratio = label->devicePixelRatioF();
    QPixmap picture(label->size() * ratio);
    picture.setDevicePixelRatio(ratio);
    m_drawingAlarmTime = true;
    label->render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    m_drawingAlarmTime = false;
    m_alarmTimePicture = picture;
    m_alarmTimeDrawn = label->text();
}

bool frmTintel::paintAlarmTime()
{
    QLabel* label = m_ui->txtTintel;
    // The seconds left over the black box damage the large label under them every second: its
    // picture is put back rather than its text laid out and drawn again.
    if (m_alarmTimePicture.isNull() || m_alarmTimeDrawn != label->text() ||
        m_alarmTimePicture.devicePixelRatio() != label->devicePixelRatioF() ||
        m_alarmTimePicture.deviceIndependentSize() != QSizeF(label->size())) {
        // Drawn as ever this time, and kept for the next.
        if (!m_redrawScheduled) {
            m_redrawScheduled = true;
            QTimer::singleShot(0, this, &frmTintel::drawAlarmTime);
        }
        return false;
    }
    QPainter painter(label);
    painter.drawPixmap(0, 0, m_alarmTimePicture);
    return true;
}

void frmTintel::Timer1_Timer()
{
    tick(true);
}

void frmTintel::showEvent(QShowEvent* event)
{
    Form::showEvent(event);
    // The first picture tells the time, not "00:00:00" nor what ticks computed while the window
    // was hidden. The firing test waits for the timer: a modal window cannot open from here.
    if (!event->spontaneous())
        tick(false);
}

void frmTintel::tick(bool mayFire)
{
    const QDateTime now = platform().clock.now();
    // A minimised or covered window is out of sight: only the firing decision runs, and
    // restoring or uncovering it brings the labels up to date.
    const bool drawn = !(isVisible() && (isMinimized() || m_covered));
    QRegion changed;
    if (drawn) {
        setLabel(m_ui->lblHeure, longTimeText(now.time()), changed);
        const QDate today = now.date();
        if (today != m_shownDate) {
            m_shownDate = today;
            setLabel(m_ui->lbljour, dateText(today), changed);
        }
    }

    const AlarmRecord& alarm = record();
    if (mayFire && shouldFire(now, alarm.gDateCible, alarm.gHeureCible, isVisible(), m_fired)) {
        fire();
        return;
    }
    if (!m_messagePrepared &&
        targetPassed(now.addSecs(kPrepareSeconds), alarm.gDateCible, alarm.gHeureCible)) {
        m_messagePrepared = true;
        // After this tick's picture, in the quiet of the second.
        QTimer::singleShot(0, this, &frmTintel::prepareMessage);
    }
    // Clients that keep names hear of the new sentence; Orca says nothing of a label's.
    if (QString sentence = timeLeftSentence(); sentence != m_spokenSentence) {
        m_spokenSentence = std::move(sentence);
        announceNameChanged(m_ui->txtTintel);
    }
    if (!drawn)
        return;

    const Remaining left = TempsRestant(now, alarm.gDateCible, alarm.gHeureCible);
    // A shown countdown past its second has fired, or fires at its next tick: it keeps what it
    // showed before rather than count below zero behind the message window.
    if (left.s >= 0 || !isVisible()) {
        setLabel(m_ui->lblH, left.hText, changed);
        setLabel(m_ui->lblM, left.mText, changed);
        setLabel(m_ui->lblS, left.rText, changed);
    }
    // The new second on screen now, not after a trip through the event queue. The tick run as
    // the window shows leaves the first picture to the show.
    if (mayFire && !changed.isEmpty() && isVisible())
        repaint(changed);
}

void frmTintel::coveredChanged(bool covered)
{
    const bool uncovered = m_covered && !covered;
    m_covered = covered;
    // The server tells before it asks for the uncovered part to be drawn again: that picture
    // shows this second, not the one the labels were left at.
    // A window hidden meanwhile (unloaded, with the alarm cancelled) has nothing to show.
    if (uncovered && isVisible())
        tick(false);
}

void frmTintel::setLabel(QLabel* label, const QString& text, QRegion& changed)
{
    if (label->text() == text)
        return;
    label->setText(text);
    changed += label->geometry();
}

void frmTintel::fire()
{
    m_fired = true;
    // A what-next dialog left open would offer to keep an alarm that has rung.
    forms().unload<frmQuestion>();
    platform().beeper.beep();
    forms().showModal<frmMessage>(this);
    forms().unload(this);
    forms().show<frmNouveau>();
}

void frmTintel::prepareMessage()
{
    // The first message window of the program loads its fonts and lays out its text box, which
    // takes milliseconds. A window built and dropped here loads them before the alarm second;
    // the alarm still gets a window of its own, loaded afresh.
    if (m_fired)
        return;
    // The sound loads on a thread of its own meanwhile.
    platform().beeper.prepare();
    frmMessage probe(forms());
    probe.grab();
    // The window manager frames a window of its kind now, not in the alarm second.
    platform().windows.outerSizeTwips(&probe);
}

void frmTintel::cmdOnTop_Click()
{
    SetOnTop(platform(), this, !m_mOnTop);
    m_mOnTop = !m_mOnTop;
    announceChecked(m_ui->cmdOnTop);
}

void frmTintel::cmdReduire_Click()
{
    setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
}

void frmTintel::Form_Resize()
{
    if (windowState() & Qt::WindowMinimized) {
        setWindowTitle(QStringLiteral("Tintel: ") + m_ui->txtTintel->text() + QStringLiteral(" (") +
                       record().gTexteMessage + u')');
    }
    if ((windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0)
        setWindowTitle(QStringLiteral("Tintel journalière"));
}

void frmTintel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();
        // The labels were left as they were while minimised.
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !isMinimized())
            tick(false);
    }
    Form::changeEvent(event);
}

void frmTintel::Form_KeyDown(qint16& KeyCode, qint16& Shift)
{
    FunctionKeyForm::Form_KeyDown(KeyCode, Shift);
    // The what-next dialog without a mouse: the keys that open a context menu on any desktop.
    if (KeyCode == kKeyApps || (KeyCode == kKeyF10 && Shift == kShiftMask))
        txtTintel_Click();
}

QString frmTintel::timeLeftSentence() const
{
    const AlarmRecord& alarm = record();
    return spokenTimeLeft(
        m_ui->txtTintel->text(),
        TempsRestant(platform().clock.now(), alarm.gDateCible, alarm.gHeureCible));
}

bool frmTintel::clickable() const
{
    // A modal window above it (the message, the what-next dialog) keeps clicks from the window.
    return !m_fired && isVisible() && !isMinimized() && !QApplication::activeModalWidget();
}

void frmTintel::txtTintel_Click()
{
    forms().showModal<frmQuestion>(this);
    // The dialog may have unloaded this window: nothing more here.
}

bool frmTintel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->txtTintel && !m_drawingAlarmTime) {
        switch (event->type()) {
        case QEvent::Paint:
            if (paintAlarmTime())
                return true;
            break;
        case QEvent::FontChange:
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
            m_alarmTimePicture = QPixmap();
            break;
        default:
            break;
        }
    }
    if (watched == m_ui->txtTintel && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_ui->txtTintel->rect().contains(mouse->position().toPoint())) {
            txtTintel_Click();
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

} // namespace tintel

#include "moc_frmTintel.cpp"
