#pragma once

#include "core/alarmrecord.h"
#include "core/failure.h"
#include "core/registry.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/inisettingsstore.h"
#include "platform/localfiles.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "platform/runningprograminfo.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/singleinstance.h"
#include "platform/terminator.h"
#include "platform/ticker.h"
#include "platform/windowmanager.h"
#include "tests/support/corefakes.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QQueue>
#include <QSet>

#include <functional>
#include <type_traits>

class QWidget;

namespace tintel::test {

class FakeClock final : public Clock
{
public:
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& now) { m_now = now; }
    void advanceMs(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now{QDate(2026, 12, 7), QTime(9, 0, 0)};
};

class FakeTicker final : public Ticker
{
    Q_OBJECT
public:
    FakeTicker(TickerKind kind, QObject* parent) : Ticker(parent), kind(kind) {}
    void start() override { m_active = true; }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    // One tick, as the real ticker would deliver it; nothing when stopped.
    void fire()
    {
        if (m_active)
            Q_EMIT tick();
    }

    const TickerKind kind;

private:
    bool m_active = false;
};

class FakeTickerFactory final : public TickerFactory
{
public:
    Ticker* create(TickerKind kind, QObject* parent) override;
    // Fires every live, started ticker once.
    void tickAll();
    QList<QPointer<FakeTicker>> created;
};

class FakeSingleInstance final : public SingleInstance
{
public:
    bool anotherCopyRunning(const QString& appName) override
    {
        askedFor << appName;
        return running;
    }
    bool running = false;
    QStringList askedFor;
};

class FakeMessageBoxes final : public MessageBoxes
{
public:
    Message::Answer show(QWidget* parent, const Message& message) override;

    QList<Message> shown;
    // Answers for the next boxes; an empty queue answers the default button.
    QQueue<Message::Answer> answers;
    // Runs while a box is "up", to look at the program at that moment.
    std::function<void(const Message&)> onShow;
};

class FakeBeeper final : public Beeper
{
public:
    void prepare() override { ++prepares; }
    void beep() override { ++beeps; }
    int prepares = 0;
    int beeps = 0;
};

class FakeScreen final : public Screen
{
public:
    QRectF geometryTwips(const QWidget* = nullptr) const override { return QRectF(origin, size); }
    QMarginsF panelsTwips(const QWidget* = nullptr) const override { return panels; }
    QSize size{1280 * kTwipsPerPixel, 1024 * kTwipsPerPixel};
    QMarginsF panels;
    QPoint origin;
};

class FakeTerminator final : public Terminator
{
public:
    void terminateNow() override;
    int terminations = 0;
    std::function<void()> onTerminate;
};

class FakeShell final : public Shell
{
public:
    void open(QWidget* owner, const QString& target) override;
    QStringList opened;
    QList<QPointer<QWidget>> owners;
};

class FakeWindowManager final : public WindowManager
{
public:
    struct Call
    {
        QPointer<QWidget> window;
        bool onTop;
        QPoint pos;
    };
    void setOnTop(QWidget* window, bool onTop, QPoint pixelPos) override;
    // Sizes and places as the desktop's own would, with the test platform's frames.
    QSizeF outerSizeTwips(QWidget* window) override { return real.outerSizeTwips(window); }
    void moveOuterTwips(QWidget* window, QPointF twips) override
    {
        real.moveOuterTwips(window, twips);
    }
    // The desktop's word on covering comes from the test, through setCovered.
    void watchCovered(QWidget* window, std::function<void(bool)> covered) override;
    // Tells the watches of a live window, as the desktop would.
    void setCovered(QWidget* window, bool covered);
    struct Watch
    {
        QPointer<QWidget> window;
        std::function<void(bool)> report;
    };
    // The keyboard is the program's unless the test gives it to another program.
    bool hasKeyboard() override { return keyboardHere; }
    void guardKeyboard(QWidget* window, bool takeKeyboard) override;
    bool heldFromBefore(QWidget*, quint32 scanCode) override { return heldKeys.contains(scanCode); }
    QList<Call> calls;
    QList<Watch> watches;
    bool keyboardHere = true;
    // The windows shown without taking the keyboard, and the keys held as a window got it.
    QList<QPointer<QWidget>> shownWithoutFocus;
    QList<quint32> heldKeys;
    QtWindowManager real;
};

// A replacement that implements none of the interfaces would silently be ignored.
template <typename T>
concept replacesAFake = std::is_base_of_v<Clock, T> || std::is_base_of_v<TickerFactory, T> ||
    std::is_base_of_v<SettingsStore, T> || std::is_base_of_v<SingleInstance, T> ||
    std::is_base_of_v<MessageBoxes, T> || std::is_base_of_v<Beeper, T> ||
    std::is_base_of_v<ProgramInfo, T> || std::is_base_of_v<Screen, T> ||
    std::is_base_of_v<Terminator, T> || std::is_base_of_v<Shell, T> ||
    std::is_base_of_v<Files, T> || std::is_base_of_v<WindowManager, T> ||
    std::is_base_of_v<Registry, T>;

// The fake for `Interface`, or the last of the replacements that implements it.
template <typename Interface, typename... Replacements>
Interface& pick(Interface& fake, Replacements&... replacements)
{
    Interface* chosen = &fake;
    (
        [&] {
            if constexpr (std::is_base_of_v<Interface, Replacements>)
                chosen = &replacements;
        }(),
        ...);
    return *chosen;
}

// Every fake, and the platform made of them with any of them replaced by an object of the
// same interface, as in `FakePlatform fp(throwingRegistry)`.
struct FakePlatform
{
    template <typename... Replacements>
    requires(replacesAFake<Replacements>&&...) explicit FakePlatform(Replacements&... replacements)
        : platform{pick<Clock>(clock, replacements...),
                   pick<TickerFactory>(tickers, replacements...),
                   pick<SettingsStore>(settings, replacements...),
                   pick<SingleInstance>(instance, replacements...),
                   pick<MessageBoxes>(boxes, replacements...),
                   pick<Beeper>(beeper, replacements...),
                   pick<ProgramInfo>(program, replacements...),
                   pick<Screen>(screen, replacements...),
                   pick<Terminator>(terminator, replacements...),
                   pick<Shell>(shell, replacements...),
                   pick<Files>(files, replacements...),
                   pick<WindowManager>(windows, replacements...),
                   pick<Registry>(registry, replacements...)}
    {}
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeClock clock;
    FakeTickerFactory tickers;
    FakeSettingsStore settings;
    FakeSingleInstance instance;
    FakeMessageBoxes boxes;
    FakeBeeper beeper;
    FakeProgramInfo program;
    FakeScreen screen;
    FakeTerminator terminator;
    FakeShell shell;
    FakeFiles files;
    FakeWindowManager windows;
    FakeRegistry registry;
    Platform platform;
};

} // namespace tintel::test
