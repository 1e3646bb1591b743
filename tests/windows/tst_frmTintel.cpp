#include "forms/forms.h"
#include "startup/frmQuestion.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"
#include "windows/frmMessage.h"
#include "windows/frmNouveau.h"
#include "windows/frmTintel.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace tintel;
using namespace tintel::test;

namespace {

struct Rig : CountdownRig
{
    using CountdownRig::CountdownRig;
    frmTintel& window() const { return *forms.loaded<frmTintel>(); }
    template <typename T = QLabel>
    T* child(const QString& name) const
    {
        return test::child<T>(window(), name);
    }
    // What the tick writes: the current time and date, then the hours, minutes, seconds left.
    QStringList tickTexts() const
    {
        QStringList texts;
        for (const QString& name : {u"lblHeure"_s, u"lbljour"_s, u"lblH"_s, u"lblM"_s, u"lblS"_s})
            texts << child(name)->text();
        return texts;
    }
};

enum class OutOfSight { InSight, Minimised, Covered };

// Takes the window out of sight that way, or brings it back; whether it got there.
bool putOutOfSight(Rig& rig, OutOfSight way, bool out = true)
{
    frmTintel& window = rig.window();
    if (way == OutOfSight::Covered)
        rig.fp.windows.setCovered(&window, out);
    if (way != OutOfSight::Minimised)
        return true;
    window.setWindowState(out ? Qt::WindowMinimized : Qt::WindowNoState);
    return QTest::qWaitFor([&] { return window.isMinimized() == out; });
}

} // namespace

Q_DECLARE_METATYPE(OutOfSight)

class TestFrmTintel : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void placedTopRightOnTop();
    void onTopToggles();
    void minimisedTitle_data();
    void minimisedTitle();
    void outOfSightDrawsNothingButFires_data();
    void outOfSightDrawsNothingButFires();
    void alarmTimeLooksAsAPlainLabel_data();
    void alarmTimeLooksAsAPlainLabel();
    void messagePreparedNotKept_data();
    void messagePreparedNotKept();
    void tickLabels_data();
    void tickLabels();
    void tickAsShown_data();
    void tickAsShown();
    void outsideActionsDoNothing_data();
    void outsideActionsDoNothing();
    void whatNextWithoutMouse_data();
    void whatNextWithoutMouse();
};

void TestFrmTintel::placedTopRightOnTop()
{
    Rig rig(u"Réunion"_s, false);
    frmTintel& window = rig.window();
    QVERIFY(window.mOnTop());
    QCOMPARE(rig.fp.windows.calls.size(), 1);
    const FakeWindowManager::Call call = rig.fp.windows.calls.first();
    QCOMPARE(call.window.data(), &window);
    QVERIFY(call.onTop);
    // Made always on top before it was placed, at the place it had: the call moved nothing.
    QCOMPARE(call.pos, QPoint(0, 0));
    QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
    // Placed by its outer size before it is shown, and not moved once shown.
    TINTEL_VERIFY_PLACED(window.frameGeometry(), Place::TopRight);
    const QPoint placed = window.pos();

    rig.forms.show<frmTintel>();
    QCoreApplication::processEvents();
    QCOMPARE(window.pos(), placed);
    TINTEL_VERIFY_PLACED(window.frameGeometry(), Place::TopRight);
    QVERIFY(window.frameGeometry().width() > 0);
    QCOMPARE(window.size(), QSize(141, 66));
    // A title, and no button in the title bar: cmdReduire is the only way to minimise.
    QVERIFY(window.windowFlags() & Qt::WindowTitleHint);
    QCOMPARE(window.windowFlags() & kTitleBarButtons, Qt::WindowFlags());
    QVERIFY(window.mOnTop());
}

void TestFrmTintel::onTopToggles()
{
    Rig rig;
    frmTintel& window = rig.window();
    TINTEL_VERIFY_PLACED(settledFrame(window, Place::TopRight), Place::TopRight);
    const QPoint placed = window.pos();
    auto* cmdOnTop = rig.child<QPushButton>(u"cmdOnTop"_s);
    int before = int(rig.fp.windows.calls.size());

    for (const bool expected : {false, true, false}) {
        QTest::mouseClick(cmdOnTop, Qt::LeftButton);
        QCOMPARE(rig.fp.windows.calls.size(), ++before);
        QCOMPARE(rig.fp.windows.calls.last().onTop, expected);
        QCOMPARE(rig.fp.windows.calls.last().pos, placed);
        QCOMPARE(window.mOnTop(), expected);
        QCOMPARE(window.pos(), placed);
        QCOMPARE(cmdOnTop->toolTip(), u"Affiche l'alarme au premier plan"_s);
        QCOMPARE(cmdOnTop->text(), QString());
    }
}

void TestFrmTintel::whatNextWithoutMouse_data()
{
    addColumns<int, Qt::KeyboardModifiers, bool>({"key", "modifiers", "opens"});
    QTest::addRow("Menu key") << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << true;
    QTest::addRow("Shift+F10") << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                               << true;
    QTest::addRow("F10 alone") << int(Qt::Key_F10) << Qt::KeyboardModifiers() << false;
    QTest::addRow("screen reader's press") << 0 << Qt::KeyboardModifiers() << true;
}

void TestFrmTintel::whatNextWithoutMouse()
{
    const auto [key, modifiers, opens] =
        fetchColumns<int, Qt::KeyboardModifiers, bool>({"key", "modifiers", "opens"});
    Rig rig;
    frmTintel& window = rig.window();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    bool asked = false;
    rig.whenModal<frmQuestion>([&asked](frmQuestion& question) {
        asked = true;
        QTest::keyClick(question.focusWidget(), Qt::Key_Down);
        QTest::keyClick(question.focusWidget(), Qt::Key_Return);
    });
    // A key opens the dialog before it returns; the reader's request is answered first.
    if (key) {
        QTest::keyClick(window.focusWidget(), Qt::Key(key), modifiers);
        QCOMPARE(asked, opens);
    } else {
        QAccessible::queryAccessibleInterface(rig.child(u"txtTintel"_s))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!asked);
        QTRY_VERIFY(asked);
    }
    QTRY_VERIFY(!rig.forms.isLoaded<frmQuestion>());
    QVERIFY(window.isVisible());
}

void TestFrmTintel::minimisedTitle_data()
{
    addColumns<QString, QString>({"message", "title"});

    QTest::addRow("one line") << u"Réunion"_s << u"Tintel: 07:30 (Réunion)"_s;
    QTest::addRow("two lines") << u"Réunion\nsalle 2"_s << u"Tintel: 07:30 (Réunion\nsalle 2)"_s;
    QTest::addRow("spaces kept") << u" a "_s << u"Tintel: 07:30 ( a )"_s;
}

void TestFrmTintel::minimisedTitle()
{
    const auto [message, title] = fetchColumns<QString, QString>({"message", "title"});

    Rig rig(message);
    frmTintel& window = rig.window();
    QTest::mouseClick(rig.child<QPushButton>(u"cmdReduire"_s), Qt::LeftButton);
    QTRY_VERIFY(window.isMinimized());
    QCOMPARE(window.windowTitle(), title);

    // Still counting while minimised, shown once restored.
    rig.tickAt(QDateTime(kAlarmDay, QTime(7, 29, 58)));

    // Restoring is the desktop's doing.
    window.setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(!window.isMinimized());
    QCOMPARE(window.windowTitle(), u"Tintel journalière"_s);
    QCOMPARE(rig.child(u"lblS"_s)->text(), u"02"_s);
}

void TestFrmTintel::outOfSightDrawsNothingButFires_data()
{
    addColumns<OutOfSight, QTime, bool, QTime, QStringList>(
        {"outOfSight", "tickAt", "fires", "seenAt", "seen"});

    const auto minimised = OutOfSight::Minimised, covered = OutOfSight::Covered;
    QTest::addRow("minimised minutes before")
        << minimised << QTime(7, 1, 2) << false << QTime(7, 1, 2)
        << QStringList{u"07:01:02"_s, u"15/06/2026"_s, u"00"_s, u"28"_s, u"58"_s};
    QTest::addRow("minimised in the last second")
        << minimised << QTime(7, 29, 59) << false << QTime(7, 29, 59)
        << QStringList{u"07:29:59"_s, u"15/06/2026"_s, u"00"_s, u"00"_s, u"01"_s};
    QTest::addRow("minimised in the alarm second")
        << minimised << QTime(7, 30, 0) << true << QTime() << QStringList();
    QTest::addRow("covered minutes before")
        << covered << QTime(7, 1, 2) << false << QTime(7, 1, 3)
        << QStringList{u"07:01:03"_s, u"15/06/2026"_s, u"00"_s, u"28"_s, u"57"_s};
    QTest::addRow("covered in the last second")
        << covered << QTime(7, 29, 58) << false << QTime(7, 29, 59)
        << QStringList{u"07:29:59"_s, u"15/06/2026"_s, u"00"_s, u"00"_s, u"01"_s};
    QTest::addRow("uncovered in the alarm second, before its tick")
        << covered << QTime(7, 29, 59) << false << QTime(7, 30, 0)
        << QStringList{u"07:30:00"_s, u"15/06/2026"_s, u"00"_s, u"00"_s, u"00"_s};
    QTest::addRow("covered in the alarm second")
        << covered << QTime(7, 30, 0) << true << QTime() << QStringList();
}

// Out of sight the labels are left alone, but the alarm still rings at its second; seen again,
// the labels tell the time at once, before the picture is drawn again, and only the timer fires.
void TestFrmTintel::outOfSightDrawsNothingButFires()
{
    const auto [outOfSight, tickAt, fires, seenAt, seen] =
        fetchColumns<OutOfSight, QTime, bool, QTime, QStringList>(
            {"outOfSight", "tickAt", "fires", "seenAt", "seen"});

    Rig rig;
    const QStringList before = rig.tickTexts();
    QVERIFY(putOutOfSight(rig, outOfSight));
    int messages = 0;
    rig.whenModal<frmMessage>([&](frmMessage& message) {
        ++messages;
        child<QPushButton>(message, u"cmdOK"_s)->click();
    });
    rig.tickAt(QDateTime(kAlarmDay, tickAt));

    QCOMPARE(messages, fires ? 1 : 0);
    QCOMPARE(rig.fp.beeper.beeps, fires ? 1 : 0);
    QCOMPARE(rig.forms.isLoaded<frmTintel>(), !fires);
    if (fires)
        return;
    QCOMPARE(rig.tickTexts(), before);
    rig.fp.clock.set(QDateTime(kAlarmDay, seenAt));
    QVERIFY(putOutOfSight(rig, outOfSight, false));
    QCOMPARE(rig.tickTexts(), seen);
    QCOMPARE(rig.fp.beeper.beeps, 0);

    // Seen again, the window draws every tick.
    const QTime next = seenAt.addSecs(1);
    rig.tickAt(QDateTime(kAlarmDay, next));
    const bool due = next >= QTime(7, 30, 0);
    QCOMPARE(rig.fp.beeper.beeps, due ? 1 : 0);
    if (!due)
        QCOMPARE(rig.tickTexts().first(), next.toString(u"hh:mm:ss"_s));
}

void TestFrmTintel::alarmTimeLooksAsAPlainLabel_data()
{
    addColumns<QString, bool>({"alarmTime", "fontChanged"});

    QTest::addRow("the alarm time the rig sets") << u"07:30"_s << false;
    QTest::addRow("widest digits") << u"08:08"_s << false;
    QTest::addRow("another alarm time") << u"23:59"_s << false;
    QTest::addRow("font changed after") << u"07:30"_s << true;
}

// The large label's kept picture looks as the label would, whatever it shows.
void TestFrmTintel::alarmTimeLooksAsAPlainLabel()
{
    const auto [alarmTime, fontChanged] = fetchColumns<QString, bool>({"alarmTime", "fontChanged"});

    Rig rig;
    frmTintel& window = rig.window();
    window.setAlarmTime(alarmTime);
    auto* label = rig.child(u"txtTintel"_s);
    if (fontChanged) {
        QFont font = label->font();
        font.setPointSizeF(20);
        label->setFont(font);
    }
    // The same label, drawn by Qt alone.
    QLabel plain(&window);
    plain.hide();
    plain.setFont(label->font());
    plain.setPalette(label->palette());
    plain.setAutoFillBackground(true);
    plain.setAlignment(label->alignment());
    plain.setGeometry(label->geometry());
    plain.setText(label->text());
    QTRY_COMPARE(label->grab().toImage(), plain.grab().toImage());
    // Once the new picture is taken, too.
    QTest::qWait(0);
    QCOMPARE(label->grab().toImage(), plain.grab().toImage());
    QCOMPARE(label->text(), alarmTime);
}

void TestFrmTintel::messagePreparedNotKept_data()
{
    addColumns<QTime, OutOfSight, int>({"lastTick", "outOfSight", "prepared"});

    const auto inSight = OutOfSight::InSight;
    QTest::addRow("a minute before") << QTime(7, 29, 0) << inSight << 0;
    QTest::addRow("eleven seconds before") << QTime(7, 29, 49) << inSight << 0;
    QTest::addRow("nine seconds before") << QTime(7, 29, 51) << inSight << 1;
    QTest::addRow("the last second") << QTime(7, 29, 59) << inSight << 1;
    QTest::addRow("the last second, minimised") << QTime(7, 29, 59) << OutOfSight::Minimised << 1;
    QTest::addRow("the last second, covered") << QTime(7, 29, 59) << OutOfSight::Covered << 1;
}

namespace {
// The message windows that were laid out, by the one polish each gets before its first picture.
struct PolishedMessages : QObject
{
    int count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Polish && qobject_cast<frmMessage*>(watched))
            ++count;
        return false;
    }
    static bool anyAlive()
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::any_of(windows.begin(), windows.end(),
                           [](QWidget* w) { return qobject_cast<frmMessage*>(w) != nullptr; });
    }
};
} // namespace

// The message window's fonts and layout are loaded in the seconds before the alarm by a window
// dropped at once: none is kept, and the alarm gets a window of its own.
void TestFrmTintel::messagePreparedNotKept()
{
    const auto [lastTick, outOfSight, prepared] =
        fetchColumns<QTime, OutOfSight, int>({"lastTick", "outOfSight", "prepared"});

    Rig rig;
    PolishedMessages polished;
    qApp->installEventFilter(&polished);
    QVERIFY(putOutOfSight(rig, outOfSight));
    for (int tick = 0; tick < 3; ++tick) {
        rig.tickAt(QDateTime(kAlarmDay, lastTick.addSecs(tick - 2)));
        QTest::qWait(0);
    }
    QCOMPARE(polished.count, prepared);
    QCOMPARE(rig.fp.beeper.prepares, prepared);
    QCOMPARE(rig.fp.beeper.beeps, 0);
    QVERIFY(!PolishedMessages::anyAlive());
    QVERIFY(!rig.forms.isLoaded<frmMessage>());

    QObject* shown = nullptr;
    rig.whenModal<frmMessage>([&](frmMessage& message) {
        shown = &message;
        child<QPushButton>(message, u"cmdOK"_s)->click();
    });
    rig.tickAt(QDateTime(kAlarmDay, QTime(7, 30, 0)));
    qApp->removeEventFilter(&polished);
    QVERIFY(shown);
    QCOMPARE(polished.count, prepared + 1);
    QCOMPARE(rig.fp.beeper.beeps, 1);
}

void TestFrmTintel::tickLabels_data()
{
    addColumns<bool, QDateTime, QDate, QStringList>({"shown", "now", "dateCible", "labels"});

    QTest::addRow("hours, minutes and seconds apart")
        << true << QDateTime(kAlarmDay, QTime(5, 57, 57, 6)) << kAlarmDay
        << QStringList{u"05:57:57"_s, u"15/06/2026"_s, u"01"_s, u"32"_s, u"03"_s};
    QTest::addRow("one second before")
        << true << QDateTime(kAlarmDay, QTime(7, 29, 59, 999)) << kAlarmDay
        << QStringList{u"07:29:59"_s, u"15/06/2026"_s, u"00"_s, u"00"_s, u"01"_s};
    QTest::addRow("alarm tomorrow, 23 hours before")
        << true << QDateTime(kAlarmDay, QTime(8, 30, 0)) << kAlarmDay.addDays(1)
        << QStringList{u"08:30:00"_s, u"15/06/2026"_s, u"23"_s, u"00"_s, u"00"_s};
    QTest::addRow("hidden, past the alarm")
        << false << QDateTime(kAlarmDay, QTime(8, 31, 1)) << kAlarmDay
        << QStringList{u"08:31:01"_s, u"15/06/2026"_s, u"-1"_s, u"-1"_s, u"-1"_s};
    QTest::addRow("hidden, across new year")
        << false << QDateTime(QDate(2026, 12, 31), QTime(23, 0, 0)) << QDate(2027, 1, 1)
        << QStringList{u"23:00:00"_s, u"31/12/2026"_s, u"08"_s, u"30"_s, u"00"_s};
    // Shown at or past its second the countdown fires; these are its labels behind the message
    // window two seconds on, the time left as the rig's first picture at 07:00 left it.
    QTest::addRow("behind the message window")
        << true << QDateTime(kAlarmDay, QTime(7, 30, 0)) << kAlarmDay
        << QStringList{u"07:30:02"_s, u"15/06/2026"_s, u"00"_s, u"30"_s, u"00"_s};
    QTest::addRow("behind the message window of a missed second")
        << true << QDateTime(kAlarmDay, QTime(8, 31, 1)) << kAlarmDay
        << QStringList{u"08:31:03"_s, u"15/06/2026"_s, u"00"_s, u"30"_s, u"00"_s};
}

void TestFrmTintel::tickLabels()
{
    const auto [shown, now, dateCible, labels] =
        fetchColumns<bool, QDateTime, QDate, QStringList>({"shown", "now", "dateCible", "labels"});

    Rig rig(u"Réunion"_s, shown);
    rig.record.gDateCible = dateCible;
    QStringList behindMessage;
    rig.whenModal<frmMessage>([&](frmMessage& message) {
        for (const int later : {1, 2})
            rig.tickAt(now.addSecs(later));
        behindMessage = rig.tickTexts();
        message.cmdOK_Click();
    });
    rig.tickAt(now);

    if (!behindMessage.isEmpty()) {
        QCOMPARE(behindMessage, labels);
        QCOMPARE(rig.fp.beeper.beeps, 1);
        rig.forms.unload<frmNouveau>();
        return;
    }
    QCOMPARE(rig.tickTexts(), labels);
    QCOMPARE(rig.fp.beeper.beeps, 0);
    QVERIFY(rig.forms.isLoaded<frmTintel>());
    QCOMPARE(rig.child(u"txtTintel"_s)->text(), u"07:30"_s);
}

void TestFrmTintel::tickAsShown_data()
{
    addColumns<QString, QTime, QStringList>({"hiddenAlarm", "shownAt", "labels"});

    QTest::addRow("first showing")
        << QString() << QTime(7, 0, 5)
        << QStringList{u"07:00:05"_s, u"15/06/2026"_s, u"00"_s, u"29"_s, u"55"_s};
    QTest::addRow("kept hidden past an earlier alarm")
        << u"06:00:00"_s << QTime(7, 0, 5)
        << QStringList{u"07:00:05"_s, u"15/06/2026"_s, u"00"_s, u"29"_s, u"55"_s};
    QTest::addRow("shown at the alarm second")
        << QString() << QTime(7, 30, 0)
        << QStringList{u"07:30:00"_s, u"15/06/2026"_s, u"00"_s, u"00"_s, u"00"_s};
}

void TestFrmTintel::tickAsShown()
{
    const auto [hiddenAlarm, shownAt, labels] =
        fetchColumns<QString, QTime, QStringList>({"hiddenAlarm", "shownAt", "labels"});

    Rig rig(u"Réunion"_s, false);
    if (!hiddenAlarm.isEmpty()) {
        // A declined past-time question leaves the window ticking, hidden, for that alarm.
        rig.record.gHeureCible = hiddenAlarm;
        rig.fp.tickers.tickAll();
        QCOMPARE(rig.child(u"lblH"_s)->text(), u"-1"_s);
        rig.record.gHeureCible = u"07:30:00"_s;
    }
    rig.fp.clock.set(QDateTime(kAlarmDay, shownAt));
    rig.forms.show<frmTintel>();

    QCOMPARE(rig.tickTexts(), labels);
    // Firing is the timer's: nothing rang as the window appeared.
    QCOMPARE(rig.fp.beeper.beeps, 0);
    QVERIFY(!rig.forms.isLoaded<frmMessage>());
    rig.forms.unload<frmTintel>();
}

void TestFrmTintel::outsideActionsDoNothing_data()
{
    // No button: the window manager's close request.
    addColumns<QString, Qt::MouseButton>({"target", "button"});

    QTest::addRow("date") << u"lbljour"_s << Qt::LeftButton;
    QTest::addRow("current time") << u"lblHeure"_s << Qt::LeftButton;
    QTest::addRow("dash") << u"Label1"_s << Qt::LeftButton;
    QTest::addRow("background") << u"frmTintel"_s << Qt::LeftButton;
    QTest::addRow("right click on the alarm time") << u"txtTintel"_s << Qt::RightButton;
    QTest::addRow("middle click on the alarm time") << u"txtTintel"_s << Qt::MiddleButton;
    QTest::addRow("closed from outside") << u"frmTintel"_s << Qt::NoButton;
}

// The window offers no close control, but a window manager may still send a close request: it is
// refused like the clicks and keys that mean nothing here, and the alarm fires at its second all
// the same, out of a screen reader's reach.
void TestFrmTintel::outsideActionsDoNothing()
{
    const auto [target, button] = fetchColumns<QString, Qt::MouseButton>({"target", "button"});

    Rig rig;
    frmTintel& window = rig.window();
    TINTEL_VERIFY_PLACED(settledFrame(window, Place::TopRight), Place::TopRight);
    const QPoint placed = window.pos();
    QWidget* widget = rig.child<QWidget>(target);
    // The background point is clear of every control.
    const QPoint at = widget == &window ? QPoint(2, 2) : widget->rect().center();
    QCOMPARE(window.childAt(QPoint(2, 2)), nullptr);

    // Were a dialog to open, this closes it so that the test goes on to fail.
    bool modalOpened = false;
    QTimer guard;
    guard.setInterval(10);
    connect(&guard, &QTimer::timeout, this, [&modalOpened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modalOpened = true;
            modal->close();
        }
    });
    guard.start();

    if (button == Qt::NoButton)
        QVERIFY(!window.close());
    else
        QTest::mouseClick(widget, button, Qt::NoModifier, at);
    QTest::keyClicks(&window, u"a1 "_s);
    QCoreApplication::processEvents();
    guard.stop();

    QVERIFY(!modalOpened);
    QVERIFY(!rig.forms.isLoaded<frmQuestion>());
    QCOMPARE(rig.forms.loaded<frmTintel>(), &window);
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), u"Tintel journalière"_s);
    QCOMPARE(window.windowState() & Qt::WindowMinimized, Qt::WindowNoState);
    QCOMPARE(window.pos(), placed);
    QCOMPARE(rig.fp.windows.calls.size(), 1);
    QVERIFY(rig.fp.boxes.shown.isEmpty());
    QCOMPARE(rig.fp.beeper.beeps, 0);
    QCOMPARE(rig.child(u"txtTintel"_s)->text(), u"07:30"_s);
    rig.tickAt(QDateTime(kAlarmDay, QTime(7, 29, 59)));
    QCOMPARE(rig.child(u"lblS"_s)->text(), u"01"_s);

    QString delivered;
    bool asked = false;
    rig.whenModal<frmQuestion>([&asked](frmQuestion& question) {
        asked = true;
        question.close();
    });
    rig.whenModal<frmMessage>([&](frmMessage& message) {
        delivered = message.windowTitle();
        // A screen reader's press, as a click, cannot reach the window under the message.
        QAccessible::queryAccessibleInterface(rig.child(u"txtTintel"_s))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
        message.cmdOK_Click();
    });
    rig.tickAt(QDateTime(kAlarmDay, QTime(7, 30, 0)));
    QCoreApplication::processEvents();

    QVERIFY(!asked);
    QCOMPARE(delivered, u"votre message de 07:30:00"_s);
    QCOMPARE(rig.fp.beeper.beeps, 1);
    QVERIFY(!rig.forms.isLoaded<frmTintel>());
    QCOMPARE(rig.quits, 0);
    QCOMPARE(rig.fp.terminator.terminations, 0);
    rig.forms.unload<frmNouveau>();
}

QTEST_MAIN(TestFrmTintel)
#include "tst_frmTintel.moc"
