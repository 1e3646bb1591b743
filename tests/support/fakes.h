#pragma once

#include "core/alarmrecord.h"
#include "core/registry.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "platform/programinfo.h"
#include "platform/screen.h"
#include "platform/settingsstore.h"
#include "platform/shell.h"
#include "platform/singleinstance.h"
#include "platform/terminator.h"
#include "platform/ticker.h"
#include "platform/windowmanager.h"

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

class FakeSettingsStore final : public SettingsStore
{
public:
    QString read(const QString& app, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
    void write(const QString& app, const QString& section, const QString& key,
               const QString& value) override;
    void flush() override { ++flushes; }

    // "app/section/key" -> value
    QMap<QString, QString> values;
    // "app/section/key=value", in order
    QStringList writes;
    int flushes = 0;
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
    void beep() override { ++beeps; }
    int beeps = 0;
};

class FakeProgramInfo final : public ProgramInfo
{
public:
    QString title() const override { return QStringLiteral("Tintel"); }
    int versionMajor() const override { return major; }
    int versionMinor() const override { return minor; }
    int versionRevision() const override { return revision; }
    QString executableBaseName() const override { return baseName; }
    QString executableFolder() const override { return folder; }

    int major = 1, minor = 0, revision = 0;
    QString baseName = QStringLiteral("tintel");
    QString folder = QStringLiteral("/opt/tintel");
};

class FakeScreen final : public Screen
{
public:
    QRectF geometryTwips(const QWidget* = nullptr) const override { return QRectF(origin, size); }
    QSize size{1280 * kTwipsPerPixel, 1024 * kTwipsPerPixel};
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

class FakeFiles final : public Files
{
public:
    bool isNormalFile(const QString& path) const override
    {
        if (failTest)
            throw RuntimeFailure(71, QStringLiteral("Disque non prêt"));
        return normalFiles.contains(path);
    }
    bool startDetached(const QString& program) override
    {
        started << program;
        return startSucceeds;
    }
    QSet<QString> normalFiles;
    QStringList started;
    bool startSucceeds = true;
    // The file test fails as a drive that is not ready would.
    bool failTest = false;
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
    QList<Call> calls;
    QtWindowManager real;
};

// Keys and values as a test sets them up; records every call in order.
class FakeRegistry final : public Registry
{
public:
    struct Value
    {
        quint32 type = kRegSz;
        QByteArray data;
    };
    long openKey(quint32 root, const QByteArray& path, quint32 options, quint32 access,
                 Key& key) override;
    long queryValue(Key key, const QByteArray& name, quint32& type, QByteArray& data,
                    quint32& length) override;
    void closeKey(Key key) override;

    // "path" -> value name -> value
    QMap<QByteArray, QMap<QByteArray, Value>> keys;
    QStringList calls;
    int openKeys = 0;

private:
    QList<QByteArray> m_handles;
};

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
    explicit FakePlatform(Replacements&... replacements)
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
