#include "forms/forms.h"
#include "info/frmAbout.h"
#include "startup/frmQuestion.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"
#include "windows/frmMessage.h"
#include "windows/frmNouveau.h"
#include "windows/frmTintel.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;
using namespace tintel;
using namespace tintel::test;

namespace {

QDateTime at(int h, int m, int s, int ms = 6, QDate day = kAlarmDay)
{
    return QDateTime(day, QTime(h, m, s, ms));
}

// What the message window showed while it was up.
struct Delivered
{
    int count = 0;
    QString title;
    QString text;
    bool readOnly = false;
    QString focus;
    int beepsWhileShown = -1;
    bool countdownStillShown = false;
};

struct Rig : WindowRig
{
    frmNouveau& nouveau() const { return *forms.loaded<frmNouveau>(); }
    frmTintel& tintel() const { return *forms.loaded<frmTintel>(); }
    QString tintelLabel(const QString& name) const { return child<QLabel>(tintel(), name)->text(); }
    QStringList countdown() const
    {
        return {tintelLabel(u"lblH"_s), tintelLabel(u"lblM"_s), tintelLabel(u"lblS"_s)};
    }

    // Types the alarm into a shown new-alarm window and presses Enter.
    void enterAlarm(const QString& time, const QStringList& lines)
    {
        auto* txtHeure = child<QLineEdit>(nouveau(), u"txtHeure"_s);
        auto* txtMessage = child<QPlainTextEdit>(nouveau(), u"txtMessage"_s);
        typeText(txtHeure, time);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(txtMessage, Qt::Key_Return, Qt::ControlModifier);
            typeText(txtMessage, lines[i]);
        }
        QTest::keyClick(txtMessage, Qt::Key_Return);
    }

    // Answers the message window with Enter on its focused control, noting what it showed.
    void answerMessage(Delivered& seen, std::function<void()> whileShown = {})
    {
        whenModal<frmMessage>([this, &seen, whileShown](frmMessage& message) {
            ++seen.count;
            seen.title = message.windowTitle();
            auto* txtTexte = child<QPlainTextEdit>(message, u"txtTexte"_s);
            seen.text = txtTexte->toPlainText();
            seen.readOnly = txtTexte->isReadOnly();
            seen.focus = message.focusWidget() ? message.focusWidget()->objectName() : QString();
            seen.beepsWhileShown = fp.beeper.beeps;
            seen.countdownStillShown = forms.isLoaded<frmTintel>() && tintel().isVisible();
            if (whileShown)
                whileShown();
            QWidget* target = message.focusWidget() ? message.focusWidget() : &message;
            QTest::keyClick(target, Qt::Key_Return);
            // Enter failed to close it: close it anyway so that the test goes on to fail.
            if (message.isVisible())
                message.hide();
        });
    }

    // An alarm at 07:30 counted down from 07:29:57, the countdown window shown.
    void activeAlarm(const QStringList& lines = {u"Réunion"_s})
    {
        fp.clock.set(at(7, 29, 57));
        forms.show<frmNouveau>();
        enterAlarm(u"07:30"_s, lines);
    }

    // Every top-level window of the program that is loaded or still alive.
    QList<Form*> liveForms() const
    {
        QList<Form*> result;
        const QWidgetList widgets = QApplication::topLevelWidgets();
        for (QWidget* widget : widgets) {
            if (auto* form = qobject_cast<Form*>(widget))
                result << form;
        }
        return result;
    }
};

void chooseInDialog(frmQuestion& dialog, int index)
{
    child<QRadioButton>(dialog, u"optChoix_%1"_s.arg(index))->click();
    child<QPushButton>(dialog, u"cmdValider"_s)->click();
}

} // namespace

class TestRoad : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void wholeRoad();
    void messageCentredOnTop();
    void messageCloseBoxIsOk();
    void messageKeyboard_data();
    void messageKeyboard();
    void lateFire();
    void hiddenCountdownNeverFires();
    void ticksWhileMessageOpen();
    void dialogNewAlarm();
    void firesWhileDialogOpen_data();
    void firesWhileDialogOpen();
    void firesWhileAKeysWindowIsOpen_data();
    void firesWhileAKeysWindowIsOpen();
};

void TestRoad::wholeRoad()
{
    Rig rig;
    rig.activeAlarm({u"Réunion"_s, u"  salle 2 "_s});
    QVERIFY(!rig.forms.isLoaded<frmNouveau>());
    QPointer<frmTintel> countdown = &rig.tintel();
    QVERIFY(countdown->isVisible());
    QCOMPARE(rig.tintelLabel(u"txtTintel"_s), u"07:30"_s);

    const QStringList expected[] = {
        {u"00"_s, u"00"_s, u"03"_s}, {u"00"_s, u"00"_s, u"02"_s}, {u"00"_s, u"00"_s, u"01"_s}};
    for (int i = 0; i < 3; ++i) {
        rig.tickAt(at(7, 29, 57 + i));
        QCOMPARE(rig.countdown(), expected[i]);
        QCOMPARE(rig.tintelLabel(u"lblHeure"_s), u"07:29:5%1"_s.arg(7 + i));
        QCOMPARE(rig.tintelLabel(u"lbljour"_s), u"15/06/2026"_s);
    }
    // What a screen reader is told of the alarm time.
    QCOMPARE(QAccessible::queryAccessibleInterface(child<QLabel>(rig.tintel(), u"txtTintel"_s))
                 ->text(QAccessible::Name),
             u"Alarme à 07:30, il reste 1 seconde"_s);
    QCOMPARE(rig.fp.beeper.beeps, 0);

    Delivered seen;
    QString timeShownAtFiring;
    rig.answerMessage(seen, [&] { timeShownAtFiring = rig.tintelLabel(u"lblHeure"_s); });
    rig.tickAt(at(7, 30, 0, 999));

    QCOMPARE(seen.count, 1);
    QCOMPARE(seen.beepsWhileShown, 1);
    QCOMPARE(seen.title, u"votre message de 07:30:00"_s);
    QCOMPARE(seen.text, u"Réunion\n  salle 2 "_s);
    QVERIFY(seen.readOnly);
    QCOMPARE(seen.focus, u"cmdOK"_s);
    QVERIFY(seen.countdownStillShown);
    QCOMPARE(timeShownAtFiring, u"07:30:00"_s);
    QCOMPARE(rig.fp.beeper.beeps, 1);

    QVERIFY(!rig.forms.isLoaded<frmMessage>());
    QVERIFY(!rig.forms.isLoaded<frmTintel>());
    QCOMPARE(rig.newAlarmWindowState(), u"shown, empty"_s);
    QCOMPARE(child<QLabel>(rig.nouveau(), u"lblHeure"_s)->text(), u"00:00:00"_s);
    QCOMPARE(rig.record.gHeureCible, u"07:30:00"_s);
    QCOMPARE(rig.record.gTexteMessage, u"Réunion\n  salle 2 "_s);

    // Nothing repeats the alarm: not the rest of the second, not the next day.
    rig.tickAt(at(7, 30, 0, 999));
    rig.tickAt(at(7, 30, 0, 6, kAlarmDay.addDays(1)));
    QTRY_VERIFY(!countdown);
    rig.fp.tickers.tickAll();
    QCOMPARE(seen.count, 1);
    QCOMPARE(rig.fp.beeper.beeps, 1);
    QCOMPARE(rig.quits, 0);
    QCOMPARE(rig.forms.pendingDeletes(), 0);

    // The next alarm gets a fresh countdown window, top right and on top again.
    rig.fp.windows.calls.clear();
    rig.enterAlarm(u"08:15"_s, {u"suite"_s});
    frmTintel& next = rig.tintel();
    QVERIFY(next.isVisible());
    QVERIFY(next.mOnTop());
    QCOMPARE(rig.fp.windows.calls.size(), 1);
    QCOMPARE(rig.tintelLabel(u"txtTintel"_s), u"08:15"_s);
    QCOMPARE(rig.tintelLabel(u"lblS"_s), u"00"_s);
    TINTEL_VERIFY_PLACED(settledFrame(next, Place::TopRight), Place::TopRight);
}

void TestRoad::messageCentredOnTop()
{
    Rig rig;
    rig.activeAlarm();
    QRect frame;
    bool onTopAsked = false;
    QSize size;
    Qt::WindowFlags flags;
    rig.whenModal<frmMessage>([&](frmMessage& message) {
        flags = message.windowFlags();
        frame = settledFrame(message, Place::Centred);
        size = message.size();
        for (const FakeWindowManager::Call& call : rig.fp.windows.calls)
            onTopAsked |= call.window == &message && call.onTop;
        child<QPushButton>(message, u"cmdOK"_s)->click();
        if (message.isVisible())
            message.hide();
    });
    rig.tickAt(at(7, 30, 0));

    QVERIFY(onTopAsked);
    QCOMPARE(size, QSize(397, 95));
    // A close box, and no other title-bar button.
    QCOMPARE(flags & kTitleBarButtons, Qt::WindowCloseButtonHint);
    TINTEL_VERIFY_PLACED(frame, Place::Centred);
}

void TestRoad::messageCloseBoxIsOk()
{
    Rig rig;
    rig.activeAlarm();
    bool stillOpenAfterEscape = false;
    rig.whenModal<frmMessage>([&](frmMessage& message) {
        QTest::keyClick(&message, Qt::Key_Escape);
        stillOpenAfterEscape = message.isVisible();
        message.close();
        if (message.isVisible())
            message.hide();
    });
    rig.tickAt(at(7, 30, 0));

    QVERIFY(stillOpenAfterEscape);
    QVERIFY(!rig.forms.isLoaded<frmMessage>());
    QVERIFY(!rig.forms.isLoaded<frmTintel>());
    QVERIFY(rig.nouveau().isVisible());
    QCOMPARE(rig.fp.beeper.beeps, 1);
}

void TestRoad::messageKeyboard_data()
{
    addColumns<bool, QList<quint32>, bool, int, bool>(
        {"keyboardHere", "held", "repeat", "key", "answered"});
    // Return is key 36 on a PC keyboard, Space 65, Down 116.
    const int enter = Qt::Key_Return;
    QTest::addRow("at the countdown, Enter") << true << QList<quint32>{} << false << enter << true;
    QTest::addRow("typing elsewhere, Enter once activated")
        << false << QList<quint32>{} << false << enter << true;
    QTest::addRow("a held Enter repeating") << true << QList<quint32>{} << true << enter << false;
    QTest::addRow("Enter held since before the window")
        << false << QList<quint32>{36} << false << enter << false;
    QTest::addRow("Space held since before, then Enter")
        << false << QList<quint32>{65} << false << enter << true;
    QTest::addRow("Alt+O held since before") << false << QList<quint32>{32} << false
                                             << (Qt::Key_O | Qt::AltModifier).toCombined() << false;
    // A long message read with a held key: it scrolls, and answers nothing.
    QTest::addRow("Down held since before")
        << false << QList<quint32>{116} << true << int(Qt::Key_Down) << false;
}

// The message window takes the keyboard only from the program itself, and no key pressed before
// it was there answers it.
void TestRoad::messageKeyboard()
{
    const auto [keyboardHere, held, repeat, key, answered] =
        fetchColumns<bool, QList<quint32>, bool, int, bool>(
            {"keyboardHere", "held", "repeat", "key", "answered"});

    Rig rig;
    rig.activeAlarm(QStringList(40, u"ligne"_s));
    rig.fp.windows.keyboardHere = keyboardHere;
    rig.fp.windows.heldKeys = held;
    bool shownWithoutFocus = true;
    bool stillOpen = true;
    int scrolled = -1;
    rig.whenModal<frmMessage>([&](frmMessage& message) {
        shownWithoutFocus = rig.fp.windows.shownWithoutFocus.contains(&message);
        const QKeyCombination combination = QKeyCombination::fromCombined(key);
        QWidget* target = combination.key() == Qt::Key_Down
                              ? static_cast<QWidget*>(child<QPlainTextEdit>(message, u"txtTexte"_s))
                              : message.focusWidget();
        target->setFocus();
        const quint32 scanCode = combination.key() == Qt::Key_Down ? 116
                                 : combination.key() == Qt::Key_O  ? 32
                                                                   : 36;
        QKeyEvent press(QEvent::ShortcutOverride, combination.key(),
                        combination.keyboardModifiers(), scanCode, 0, 0, QString(), repeat);
        QApplication::sendEvent(target, &press);
        if (!press.isAccepted()) {
            QKeyEvent down(QEvent::KeyPress, combination.key(), combination.keyboardModifiers(),
                           scanCode, 0, 0,
                           combination.key() == Qt::Key_Return ? u"\r"_s : QString(), repeat);
            QApplication::sendEvent(target, &down);
        }
        scrolled = child<QPlainTextEdit>(message, u"txtTexte"_s)->verticalScrollBar()->value();
        stillOpen = message.isVisible();
        if (stillOpen)
            message.cmdOK_Click();
    });
    rig.tickAt(at(7, 30, 0));

    QCOMPARE(shownWithoutFocus, !keyboardHere);
    QCOMPARE(stillOpen, !answered);
    QCOMPARE(scrolled > 0, key == Qt::Key_Down);
    QVERIFY(rig.nouveau().isVisible());
}

void TestRoad::lateFire()
{
    Rig rig;
    rig.activeAlarm();
    rig.tickAt(at(7, 29, 59));

    Delivered seen;
    rig.answerMessage(seen);
    // Suspended across the alarm second.
    rig.tickAt(at(7, 31, 10));
    QCOMPARE(seen.count, 1);
    QCOMPARE(rig.fp.beeper.beeps, 1);
    QVERIFY(!rig.forms.isLoaded<frmTintel>());
    QVERIFY(rig.forms.isLoaded<frmNouveau>());

    rig.tickAt(at(7, 31, 11));
    QCOMPARE(seen.count, 1);
    QCOMPARE(rig.fp.beeper.beeps, 1);
}

void TestRoad::hiddenCountdownNeverFires()
{
    Rig rig;
    rig.fp.clock.set(at(9, 0, 0));
    rig.forms.show<frmNouveau>();
    rig.fp.boxes.answers.enqueue(Message::Answer::No);
    rig.enterAlarm(u"08:00"_s, {u"Réunion"_s});
    QVERIFY(rig.forms.isLoaded<frmTintel>());
    QVERIFY(!rig.tintel().isVisible());

    bool messageShown = false;
    rig.whenModal<frmMessage>([&](frmMessage& message) {
        messageShown = true;
        message.hide();
    });
    // The clock set back onto the alarm second, then past it again.
    for (const QDateTime& now : {at(8, 0, 0), at(8, 0, 1), at(9, 0, 5)})
        rig.tickAt(now);
    QVERIFY(!messageShown);
    QCOMPARE(rig.fp.beeper.beeps, 0);
    QVERIFY(rig.forms.isLoaded<frmTintel>());
    QVERIFY(!rig.tintel().isVisible());
    QVERIFY(rig.nouveau().isVisible());
    QCOMPARE(rig.tintelLabel(u"lblHeure"_s), u"09:00:05"_s);
}

void TestRoad::ticksWhileMessageOpen()
{
    Rig rig;
    rig.activeAlarm();
    Delivered seen;
    int modalsWhileShown = 0;
    QString timeWhileShown;
    rig.answerMessage(seen, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        // Within the alarm second and after it.
        for (int second = 0; second < 3; ++second)
            rig.tickAt(at(7, 30, second, 500));
        modalsWhileShown = QApplication::activeModalWidget() == modal ? 1 : 2;
        timeWhileShown = rig.tintelLabel(u"lblHeure"_s);
    });
    rig.tickAt(at(7, 30, 0));

    QCOMPARE(seen.count, 1);
    QCOMPARE(modalsWhileShown, 1);
    QCOMPARE(rig.fp.beeper.beeps, 1);
    QCOMPARE(timeWhileShown, u"07:30:02"_s);
    QVERIFY(!rig.forms.isLoaded<frmTintel>());
    QVERIFY(rig.nouveau().isVisible());
    rig.fp.tickers.tickAll();
    QCOMPARE(rig.fp.beeper.beeps, 1);
    QCOMPARE(rig.liveForms().size() - rig.forms.pendingDeletes(), 1);
}

void TestRoad::dialogNewAlarm()
{
    Rig rig;
    rig.activeAlarm();
    QPointer<frmTintel> countdown = &rig.tintel();
    rig.whenModal<frmQuestion>([](frmQuestion& dialog) { chooseInDialog(dialog, 0); });
    rig.clickAlarmTime();

    QVERIFY(!rig.forms.isLoaded<frmTintel>());
    QVERIFY(rig.nouveau().isVisible());
    QTRY_VERIFY(!countdown);
    QCOMPARE(rig.forms.pendingDeletes(), 0);

    // The countdown that was dropped never fires.
    rig.tickAt(at(7, 30, 0));
    QCOMPARE(rig.fp.beeper.beeps, 0);

    // The new alarm goes its own road.
    rig.enterAlarm(u"07:45"_s, {u"autre"_s});
    Delivered seen;
    rig.answerMessage(seen);
    rig.tickAt(at(7, 45, 0));
    QCOMPARE(seen.count, 1);
    QCOMPARE(seen.title, u"votre message de 07:45:00"_s);
    QCOMPARE(seen.text, u"autre"_s);
}

void TestRoad::firesWhileDialogOpen_data()
{
    addColumns<int>({"choice"});

    QTest::addRow("Entrer une nouvelle alarme selected") << 0;
    QTest::addRow("Conserver l'alarme existante selected") << 1;
    QTest::addRow("Quitter le programme selected") << 2;
}

// The dialog closes as the alarm fires, whatever is selected in it: it would offer to keep an
// alarm that has rung.
void TestRoad::firesWhileDialogOpen()
{
    QFETCH(int, choice);

    Rig rig;
    rig.activeAlarm();
    Delivered seen;
    bool dialogShownWithMessage = true;
    rig.whenModal<frmQuestion>([&](frmQuestion& dialog) {
        child<QRadioButton>(dialog, u"optChoix_%1"_s.arg(choice))->click();
        rig.answerMessage(seen, [&] {
            dialogShownWithMessage = rig.forms.isLoaded<frmQuestion>() || dialog.isVisible();
        });
        rig.tickAt(at(7, 30, 0));
        // Left open, it would hold the test: close it so that the test goes on to fail.
        if (dialog.isVisible())
            dialog.hide();
    });
    rig.clickAlarmTime();

    QCOMPARE(seen.count, 1);
    QVERIFY(!dialogShownWithMessage);
    QCOMPARE(rig.fp.beeper.beeps, 1);
    QCOMPARE(rig.fp.terminator.terminations, 0);
    QVERIFY(!rig.forms.isLoaded<frmTintel>());
    QVERIFY(!rig.forms.isLoaded<frmMessage>());
    QVERIFY(!rig.forms.isLoaded<frmQuestion>());
    QTRY_COMPARE(rig.forms.pendingDeletes(), 0);
    // Exactly one window left, and it is the new-alarm window, shown.
    const QList<Form*> live = rig.liveForms();
    QCOMPARE(live.size(), 1);
    QCOMPARE(live.first(), rig.forms.loaded<frmNouveau>());
    QVERIFY(live.first()->isVisible());
    QCOMPARE(rig.quits, 0);

    rig.tickAt(at(7, 30, 1));
    QCOMPARE(rig.fp.beeper.beeps, 1);
}

void TestRoad::firesWhileAKeysWindowIsOpen_data()
{
    addColumns<int, bool>({"key", "inDialog"});
    QTest::addRow("F2 in the countdown") << int(Qt::Key_F2) << false;
    QTest::addRow("F2 in the what-next dialog") << int(Qt::Key_F2) << true;
    QTest::addRow("F1 without help in the countdown") << int(Qt::Key_F1) << false;
    QTest::addRow("F1 without help in the what-next dialog") << int(Qt::Key_F1) << true;
}

// The alarm hides the window a key was pressed in while the key's about window or box is up:
// the key still opens one.
void TestRoad::firesWhileAKeysWindowIsOpen()
{
    const auto [key, inDialog] = fetchColumns<int, bool>({"key", "inDialog"});
    Rig rig;
    rig.activeAlarm();
    Delivered seen;
    int opened = 0;
    const auto fireUnderTheFirst = [&] {
        if (++opened == 1) {
            rig.answerMessage(seen);
            rig.tickAt(at(7, 30, 0));
        }
    };
    rig.fp.boxes.onShow = [&](const Message&) { fireUnderTheFirst(); };
    std::function<void()> watchAbout = [&] {
        rig.whenModal<frmAbout>([&](frmAbout& about) {
            fireUnderTheFirst();
            watchAbout();
            about.close();
        });
    };
    watchAbout();
    // To the focused control of the active window, as the desktop delivers it.
    const auto press = [key](QWidget& window) {
        QTest::keyClick(window.focusWidget(), Qt::Key(key));
    };
    if (inDialog) {
        rig.whenModal<frmQuestion>(press);
        rig.clickAlarmTime();
    } else {
        rig.tintel().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.tintel()));
        press(rig.tintel());
    }
    QCOMPARE(opened, 1);
    QCOMPARE(seen.count, 1);
}

QTEST_MAIN(TestRoad)
#include "tst_road.moc"
