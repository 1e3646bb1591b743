#pragma once

#include "forms/forms.h"
#include "tests/support/fakes.h"

#include <QDate>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QTest>
#include <QWidget>

#include <functional>

namespace tintel::test {

// The fake screen in pixels, and the day the window tests' alarms fall on.
inline const QSize kScreenPixels(1280, 1024);
inline const QDate kAlarmDay(2026, 6, 15);
// Every button a window may ask of its title bar.
inline constexpr Qt::WindowFlags kTitleBarButtons =
    Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
    Qt::WindowContextHelpButtonHint;

// The fakes, an alarm record and a form registry whose end of the program is only counted.
struct WindowRig
{
    // Any fake may be replaced, as in `WindowRig rig(throwingRegistry)`.
    template <typename... Replacements>
    explicit WindowRig(Replacements&... replacements) : fp(replacements...)
    {
        countQuits();
    }

    FakePlatform fp;
    AlarmRecord record;
    Forms forms{fp.platform, record};
    int quits = 0;
    // Owns the timers and pollers of a test, so none outlives it.
    QObject context;

    // Runs `action` from inside T's modal loop once T is the modal and active window: keys move
    // between controls only in the active window. Each call has its own timer, since a timer
    // does not fire again while its own handler waits in a nested loop.
    template <typename T>
    void whenModal(std::function<void(T&)> action)
    {
        actInModal(
            &context, [this]() -> QWidget* { return forms.loaded<T>(); },
            [action](QWidget& window) { action(static_cast<T&>(window)); });
    }
    // A left click on the countdown's alarm time, which asks what to do next; returns once the
    // question is answered.
    void clickAlarmTime();

    // The fake clock set to `now`, and every ticker ticked.
    void tickAt(const QDateTime& now);

    // "shown, empty" when the new-alarm window stands as a fresh one; otherwise what differs.
    QString newAlarmWindowState() const;

private:
    void countQuits();
};

// Runs `action` on the window `find` gives once it is the modal and active window, from a timer
// that `context` owns; another modal window in the way is closed after a while, so that the test
// goes on to fail.
void actInModal(QObject* context, std::function<QWidget*()> find,
                std::function<void(QWidget&)> action);

// A countdown window for 07:30 on kAlarmDay as the new-alarm window leaves it, at 07:00: the
// record filled, the alarm time written, shown unless asked otherwise.
struct CountdownRig : WindowRig
{
    explicit CountdownRig(const QString& message = QStringLiteral("Réunion"), bool shown = true);
};

// The child with that object name, or the window itself when the name is its own. A name that
// is missing stops the test with a message: every caller would go on to use the child.
[[noreturn]] void missingChild(const QObject& window, const QString& name, const char* type);
template <typename T = QWidget>
T* child(QWidget& window, const QString& name)
{
    T* found = window.objectName() == name ? qobject_cast<T*>(&window) : window.findChild<T*>(name);
    if (!found)
        missingChild(window, name, T::staticMetaObject.className());
    return found;
}

enum class Place { Centred, TopRight };
// Whether an outer frame stands at `place` on a screen of that size, to the nearest pixel when
// centred (half pixels round either way) and exactly in the corner.
bool isPlaced(const QRect& frame, Place place, QSize screen = kScreenPixels);
// The window's frame once the desktop has framed it and it stands at `place`, or as it stands
// after 2 s: a desktop may move a window as it shows it.
QRect settledFrame(const QWidget& window, Place place, QSize screen = kScreenPixels);
// "x,y wxh", for failure messages.
QString frameText(const QRect& frame);

// The base of every window test: no top-level window may stay shown into the next test.
class WindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
};

// Rows of program versions and the label each gives, for the windows that show it; and the
// current row's version given to the fake program, with the label expected back.
void addVersionRows();
QString useVersionOfRow(FakeProgramInfo& program);

// Rows of an index and the object name of the control an accessor gives for it, for the `count`
// controls named `namePattern` with their index as %1, tagged `tagFormat` with the index plus
// `tagBase`; with a row on each side of the range, where the name expected is empty.
void addIndexRows(int count, const char* tagFormat, int tagBase, const QString& namePattern);
// Checks the accessor against the current row: the control it gives for the index, by its
// object name, or none. Returns the index.
qint16 verifyIndexRow(const std::function<const QObject*(qint16)>& accessor);

// Types text into a widget key by key; QTest::keyClicks knows only ASCII, so other letters go
// as their key with the text.
void typeText(QWidget* widget, const QString& text);

// The object name of the first visible top-level window, or an empty text when none is left.
QString visibleTopLevel();

} // namespace tintel::test

// Fails the test unless the frame stands at that place, as in
// `TINTEL_VERIFY_PLACED(frame, Place::Centred)`.
#define TINTEL_VERIFY_PLACED(frame, ...)                                                           \
    QVERIFY2(::tintel::test::isPlaced(frame, __VA_ARGS__),                                         \
             qPrintable(::tintel::test::frameText(frame)))
