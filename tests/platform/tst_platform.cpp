#include "forms/messagebox.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/inisettingsstore.h"
#include "platform/session.h"
#include "platform/shell.h"
#include "platform/singleinstance.h"
#include "platform/terminator.h"
#include "platform/ticker.h"
#include "platform/windowmanager.h"
#include "tests/support/logcapture.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <dlfcn.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tintel;
using namespace tintel::test;
using namespace Qt::StringLiterals;

class tst_Platform : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void shellThatCannotStartIsLogged();
    void beepWithoutTheSoundLibrary();
    void terminationKeepsWhatWasWritten();
    void secondLockIsRefused_data();
    void secondLockIsRefused();
    void lockOfADeadCopyIsTakenOver();
    void copyIsRefusedWhateverTheRuntimeFolder_data();
    void copyIsRefusedWhateverTheRuntimeFolder();
    void killedCopyFreesItsName();
    void anotherUsersCopyDoesNotCount_data();
    void anotherUsersCopyDoesNotCount();
    void programStartedByACopyDoesNotKeepItsName();
    void wallSecondTickerFollowsAClockChange_data();
    void wallSecondTickerFollowsAClockChange();
    void yesNoBoxSpeaksFrench_data();
    void yesNoBoxSpeaksFrench();
    void boxAboveItsParent_data();
    void boxAboveItsParent();
    void waylandSessionRunsOnXcb_data();
    void waylandSessionRunsOnXcb();
    void onTopKeepsTheNativeWindow();
    void outerPlaceRoundsHalfToEven_data();
    void outerPlaceRoundsHalfToEven();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_Platform::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_dir->filePath(u"config"_s).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", m_dir->path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", m_dir->filePath(u"cache"_s).toLocal8Bit());
}

void tst_Platform::shellThatCannotStartIsLogged()
{
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", m_dir->path().toLocal8Bit());
    test::LogCapture log(u"tintel.*=true"_s);
    DesktopShell().open(nullptr, u"http://www.example.org/"_s);
    qputenv("PATH", path);
    QCOMPARE(log.lines(),
             QStringList{u"tintel.platform: xdg-open http://www.example.org/ did not start"_s});
}

// The desktop sound is an extra: a machine without its library beeps with the X bell alone and
// says so once, however many alarms ring.
void tst_Platform::beepWithoutTheSoundLibrary()
{
    test::LogCapture log(u"tintel.*=true"_s);
    {
        DesktopBeeper beeper("libtintel-no-such-sound.so.0");
        QVERIFY(log.lines().isEmpty()); // nothing is looked for before it is asked
        beeper.prepare();
        beeper.beep();
        beeper.beep();
    } // the sound's thread has ended here
    QCOMPARE(log.lines().size(), 1);
    QVERIFY2(log.lines().constFirst().startsWith(u"tintel.platform: no desktop sound: "_s),
             qPrintable(log.lines().constFirst()));
}

void tst_Platform::terminationKeepsWhatWasWritten()
{
    const pid_t child = fork();
    if (child == 0) {
        IniSettingsStore store;
        store.write(u"tintel"_s, u"parametres"_s, u"etat"_s, u"inactif"_s);
        ProcessTerminator(store).terminateNow();
    }
    QVERIFY(child > 0);
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    IniSettingsStore store;
    QCOMPARE(store.read(u"tintel"_s, u"parametres"_s, u"etat"_s, {}), u"inactif"_s);
}

void tst_Platform::secondLockIsRefused_data()
{
    addColumns<int, int, int>({"folderOwner", "folderMode", "lockOwner"});
    const int me = int(getuid()), nobody = 65534;
    QTest::addRow("runtime folder of the user's") << me << 0700 << -1;
    QTest::addRow("runtime folder made by another user") << nobody << 0700 << nobody;
    QTest::addRow("runtime folder others can write") << me << 0770 << me;
    QTest::addRow("lock file of another user") << me << 0700 << nobody;
}

// Without XDG_RUNTIME_DIR (a su shell) the runtime folder is Qt's stand-in in the temporary
// folder, which any user may make first, and leave locks there and beside it.
void tst_Platform::secondLockIsRefused()
{
    const auto [folderOwner, folderMode, lockOwner] =
        fetchColumns<int, int, int>({"folderOwner", "folderMode", "lockOwner"});
    if (getuid() != 0 && (folderOwner == 65534 || lockOwner == 65534))
        QSKIP("giving a file to another user needs root");
    const QByteArray runtime =
        QFile::encodeName(m_dir->path()) + "/runtime-" + getpwuid(getuid())->pw_name;
    QVERIFY(QDir().mkpath(QFile::decodeName(runtime)));
    const auto restore = qScopeGuard([saved = qgetenv("TMPDIR")] { qputenv("TMPDIR", saved); });
    qputenv("TMPDIR", QFile::encodeName(m_dir->path()));
    qunsetenv("XDG_RUNTIME_DIR");
    // Locks of a live process of the program's name, which no one takes over, root included; the
    // second where an earlier build looked when the runtime folder would not do.
    QLockFile planted[]{QFile::decodeName(runtime) + u"/tintel.lock"_s,
                        m_dir->filePath(u"tintel-%1.lock"_s.arg(getuid()))};
    for (QLockFile& lock : planted)
        QVERIFY(lockOwner < 0 || (lock.tryLock(0) && chown(QFile::encodeName(lock.fileName()),
                                                           uid_t(lockOwner), gid_t(-1)) == 0));
    QVERIFY(chown(runtime.constData(), uid_t(folderOwner), gid_t(-1)) == 0 &&
            chmod(runtime.constData(), mode_t(folderMode)) == 0);

    LockFileSingleInstance first;
    LockFileSingleInstance second;
    LockFileSingleInstance other;
    QVERIFY(!first.anotherCopyRunning(u"tintel"_s));
    QVERIFY(!first.anotherCopyRunning(u"tintel"_s));
    QVERIFY(second.anotherCopyRunning(u"tintel"_s));
    QVERIFY(!other.anotherCopyRunning(u"rappel"_s));
}

void tst_Platform::lockOfADeadCopyIsTakenOver()
{
    // A copy that was killed leaves its lock file, naming a process that is gone.
    QProcess gone;
    gone.start(u"true"_s, {});
    QVERIFY(gone.waitForFinished());
    const qint64 deadPid = gone.processId() ? gone.processId() : 999999;
    QFile lock(LockFileSingleInstance::lockPath(u"tintel"_s));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(deadPid) + "\ntintel\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();
    LockFileSingleInstance next;
    QVERIFY(!next.anotherCopyRunning(u"tintel"_s));
}

// Set while the kernel is to refuse a connection's credentials, as it may.
static bool failPeerCredentials = false;

extern "C" int getsockopt(int fd, int level, int option, void* value, socklen_t* length) noexcept
{
    if (failPeerCredentials && option == SO_PEERCRED)
        return errno = ENOPROTOOPT, -1;
    return reinterpret_cast<decltype(&getsockopt)>(dlsym(RTLD_NEXT, "getsockopt"))(
        fd, level, option, value, length);
}

namespace {

// Names no other test run on this machine uses: the socket is seen by every process.
QString uniqueAppName()
{
    static int count = 0;
    return u"tintel-test-%1-%2"_s.arg(QCoreApplication::applicationPid()).arg(++count);
}

// Runs a claim in a child process that then waits to be killed; returns its pid. Another user
// binds the name and listens with that backlog (none below 0; 0 filled up).
pid_t claimInChild(const QString& appName, uid_t user, int backlog = 4)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    // Another user squats this user's name, as anyone may bind any abstract name.
    const QByteArray name = UserSingleInstance::socketName(appName);
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        char answer = 'n';
        UserSingleInstance instance;
        if (user == getuid()) {
            answer = instance.anotherCopyRunning(appName) ? 'n' : 'y';
        } else if (setuid(user) == 0) {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + 1, name.constData(), std::size_t(name.size()));
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            const auto size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
            if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                (backlog < 0 || listen(fd, backlog) == 0))
                answer = 'y';
            // One connection nobody accepts fills a backlog of 0.
            if (backlog == 0)
                connect(socket(AF_UNIX, SOCK_STREAM, 0), reinterpret_cast<sockaddr*>(&address),
                        size);
        }
        if (write(ready[1], &answer, 1) != 1)
            _exit(1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char answer = 0;
    const bool claimed = read(ready[0], &answer, 1) == 1 && answer == 'y';
    close(ready[0]);
    return claimed ? child : -1;
}

void killChild(pid_t child)
{
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

} // namespace

void tst_Platform::copyIsRefusedWhateverTheRuntimeFolder_data()
{
    addColumns<QString>({"runtime"});
    QTest::newRow("same folder") << QString();
    QTest::newRow("another folder") << u"other"_s;
    // A path through a plain file: no one, root included, can write there.
    QTest::newRow("folder that cannot be written") << u"file/runtime"_s;
}

void tst_Platform::copyIsRefusedWhateverTheRuntimeFolder()
{
    QFETCH(QString, runtime);
    const QString appName = uniqueAppName();
    UserSingleInstance first;
    QVERIFY(!first.anotherCopyRunning(appName));
    QVERIFY(!first.anotherCopyRunning(appName));

    QTemporaryDir dir;
    QFile file(dir.filePath(u"file"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        QDir(dir.path()).mkpath(u"other"_s);
        QFile::setPermissions(dir.filePath(u"other"_s), QFileDevice::ReadOwner |
                                                            QFileDevice::WriteOwner |
                                                            QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir.filePath(runtime).toUtf8());
    }
    UserSingleInstance second;
    const bool refused = second.anotherCopyRunning(appName);
    qputenv("XDG_RUNTIME_DIR", saved);
    QVERIFY(refused);
    UserSingleInstance other;
    QVERIFY(!other.anotherCopyRunning(uniqueAppName()));
}

void tst_Platform::killedCopyFreesItsName()
{
    const QString appName = uniqueAppName();
    const pid_t child = claimInChild(appName, getuid());
    QVERIFY(child > 0);
    {
        UserSingleInstance meanwhile;
        QVERIFY(meanwhile.anotherCopyRunning(appName));
    }
    test::LogCapture log(u"tintel.*=true"_s);
    failPeerCredentials = true;
    (void)UserSingleInstance().anotherCopyRunning(appName);
    failPeerCredentials = false;
    killChild(child);
    QVERIFY(log.lines().value(0).endsWith(u"whose user is unknown: "_s +
                                          QString::fromLocal8Bit(strerror(ENOPROTOOPT))));
    UserSingleInstance next;
    QVERIFY(!next.anotherCopyRunning(appName));
}

void tst_Platform::anotherUsersCopyDoesNotCount_data()
{
    addColumns<int>({"backlog"});
    QTest::addRow("bound only") << -1;
    QTest::addRow("listening with room") << 4;
    QTest::addRow("listening with a full backlog") << 0;
}

void tst_Platform::anotherUsersCopyDoesNotCount()
{
    if (getuid() != 0)
        QSKIP("taking another user's identity needs root");
    QFETCH(int, backlog);
    const QString appName = uniqueAppName();
    const pid_t child = claimInChild(appName, 65534, backlog);
    QVERIFY(child > 0);
    UserSingleInstance mine;
    const bool refused = mine.anotherCopyRunning(appName);
    killChild(child);
    QVERIFY(!refused);
}

void tst_Platform::programStartedByACopyDoesNotKeepItsName()
{
    // A browser opened by F3 outlives the copy that opened it.
    const QString appName = uniqueAppName();
    QProcess browser;
    {
        UserSingleInstance copy;
        QVERIFY(!copy.anotherCopyRunning(appName));
        browser.start(u"sleep"_s, {u"30"_s});
        QVERIFY(browser.waitForStarted());
    }
    UserSingleInstance next;
    const bool refused = next.anotherCopyRunning(appName);
    browser.kill();
    browser.waitForFinished();
    QVERIFY(!refused);
}

namespace {
// The system clock moved by a shift that the test changes while the ticker runs, as a clock
// slewed or set by hand would be.
class ShiftedClock final : public Clock
{
public:
    QDateTime now() const override { return SystemClock().now().addMSecs(shift); }
    qint64 shift = 0;
};
} // namespace

void tst_Platform::wallSecondTickerFollowsAClockChange_data()
{
    // The first tick comes when the timer, on the monotonic clock, wakes for the second it was
    // armed for: a clock set forward is read late in that second.
    addColumns<int, int>({"shift", "firstTickBefore"});
    QTest::addRow("unchanged, just after each second") << 0 << 100;
    QTest::addRow("set back 300 ms waits for the next second") << -300 << 100;
    QTest::addRow("set forward 300 ms") << 300 << 400;
    QTest::addRow("set back 5 s ticks at once in the new time") << -5000 << 100;
}

void tst_Platform::wallSecondTickerFollowsAClockChange()
{
    const auto [shift, firstTickBefore] = fetchColumns<int, int>({"shift", "firstTickBefore"});
    ShiftedClock clock;
    SystemTickerFactory factory(clock);
    QObject owner;
    Ticker* ticker = factory.create(TickerKind::WallSecond, &owner);
    QList<QDateTime> ticks;
    connect(ticker, &Ticker::tick, &owner, [&] { ticks << clock.now(); });
    // Started in the middle of a second, so that no shift of the table moves the clock into
    // another second before the timer wakes.
    QTest::qWait(int((1500 - QTime::currentTime().msec()) % 1000));
    ticker->start();
    clock.shift = shift;
    const QDateTime started = clock.now();
    QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 3, 5000);
    ticker->stop();
    // No second shown twice nor skipped: the first tick shows the second after the one the
    // clock read as it changed, then one tick per second, each early in its second.
    QCOMPARE(ticks[0].toSecsSinceEpoch(), started.toSecsSinceEpoch() + 1);
    QVERIFY2(ticks[0].time().msec() < firstTickBefore,
             qPrintable(ticks[0].toString(u"HH:mm:ss.zzz"_s)));
    for (qsizetype i = 1; i < ticks.size(); ++i) {
        QVERIFY2(ticks[i].time().msec() < 100, qPrintable(ticks[i].toString(u"HH:mm:ss.zzz"_s)));
        QCOMPARE(ticks[i].toSecsSinceEpoch(), ticks[i - 1].toSecsSinceEpoch() + 1);
    }
    // Stopped, it ticks no more.
    const qsizetype count = ticks.size();
    QTest::qWait(1200);
    QCOMPARE(ticks.size(), count);
}

void tst_Platform::yesNoBoxSpeaksFrench_data()
{
    addColumns<int, int, int>({"defaultButton", "key", "expected"});
    QTest::addRow("Enter takes No when No is the default")
        << int(Message::Answer::No) << int(Qt::Key_Return) << int(Message::Answer::No);
    QTest::addRow("Enter takes Yes when Yes is the default")
        << int(Message::Answer::Yes) << int(Qt::Key_Return) << int(Message::Answer::Yes);
    QTest::addRow("Alt+N takes No when Yes is the default")
        << int(Message::Answer::Yes) << int(Qt::Key_N) << int(Message::Answer::No);
    QTest::addRow("Alt+O takes Yes when No is the default")
        << int(Message::Answer::No) << int(Qt::Key_O) << int(Message::Answer::Yes);
}

void tst_Platform::yesNoBoxSpeaksFrench()
{
    const auto [defaultButton, key, expected] =
        fetchColumns<int, int, int>({"defaultButton", "key", "expected"});
    QStringList captions;
    QString title;
    bool openAfterEscape = false;
    QObject context;
    actInModal(&context, &QApplication::activeModalWidget, [&](QWidget& window) {
        auto* box = qobject_cast<QMessageBox*>(&window);
        title = box->windowTitle();
        for (QAbstractButton* button : box->buttons())
            captions << button->text();
        QTest::keyClick(box, Qt::Key_Escape);
        openAfterEscape = box->isVisible();
        QTest::keyClick(box, Qt::Key(key),
                        key == Qt::Key_Return ? Qt::NoModifier : Qt::AltModifier);
    });
    QtMessageBoxes boxes;
    const auto answer =
        boxes.show(nullptr, {u"Appuyez sur OUI pour confirmer la fin du programme."_s, u"TINTEL"_s,
                             Message::Buttons::YesNo, Message::Icon::Information,
                             Message::Answer(defaultButton)});
    QCOMPARE(int(answer), expected);
    QVERIFY(openAfterEscape);
    QCOMPARE(title, u"TINTEL"_s);
    captions.sort();
    QCOMPARE(captions, (QStringList{u"&Non"_s, u"&Oui"_s}));
}

void tst_Platform::boxAboveItsParent_data()
{
    addColumns<bool>({"parentOnTop"});
    QTest::addRow("always-on-top parent") << true;
    QTest::addRow("ordinary parent") << false;
}

// An always-on-top parent would cover a box that is not on top itself.
void tst_Platform::boxAboveItsParent()
{
    QFETCH(bool, parentOnTop);
    QWidget parent;
    parent.setWindowFlag(Qt::WindowStaysOnTopHint, parentOnTop);
    auto* control = new QWidget(&parent);
    parent.show();
    QWidget* owner = nullptr;
    bool onTop = !parentOnTop;
    QObject context;
    actInModal(&context, &QApplication::activeModalWidget, [&](QWidget& box) {
        owner = box.parentWidget();
        onTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        QTest::keyClick(&box, Qt::Key_Return);
    });
    QtMessageBoxes boxes;
    boxes.show(control, {u"Une erreur est intervenue dans le programme."_s, u"Erreur..."_s,
                         Message::Buttons::Ok, Message::Icon::Critical, Message::Answer::Ok});
    QCOMPARE(owner, control);
    QCOMPARE(onTop, parentOnTop);
}

void tst_Platform::waylandSessionRunsOnXcb_data()
{
    addColumns<QString, QString, QString, QString, QString, bool, bool>(
        {"qtPlatform", "sessionType", "waylandDisplay", "display", "forced", "display_found",
         "wayland_only"});
    QTest::addRow("wayland with xwayland")
        << u""_s << u"wayland"_s << u"wayland-0"_s << u":0"_s << u"xcb"_s << true << false;
    QTest::addRow("wayland display only")
        << u""_s << u""_s << u"wayland-0"_s << u":1"_s << u"xcb"_s << true << false;
    QTest::addRow("user's own choice kept")
        << u"wayland"_s << u"wayland"_s << u"wayland-0"_s << u":0"_s << u""_s << true << false;
    QTest::addRow("wayland without xwayland")
        << u""_s << u"wayland"_s << u"wayland-0"_s << u""_s << u""_s << true << true;
    QTest::addRow("wayland without xwayland, the user's choice")
        << u"wayland"_s << u"wayland"_s << u"wayland-0"_s << u""_s << u""_s << true << false;
    QTest::addRow("plain x11") << u""_s << u"x11"_s << u""_s << u":0"_s << u""_s << true << false;
    QTest::addRow("no display at all")
        << u""_s << u"tty"_s << u""_s << u""_s << u""_s << false << false;
    QTest::addRow("xcb chosen, no display at all")
        << u"xcb"_s << u""_s << u""_s << u""_s << u""_s << false << false;
    QTest::addRow("xcb chosen, wayland without xwayland")
        << u"xcb"_s << u"wayland"_s << u"wayland-0"_s << u""_s << u""_s << true << true;
    QTest::addRow("offscreen chosen")
        << u"offscreen"_s << u""_s << u""_s << u""_s << u""_s << true << false;
}

void tst_Platform::waylandSessionRunsOnXcb()
{
    const auto [qtPlatform, sessionType, waylandDisplay, display, forced, display_found,
                wayland_only] =
        fetchColumns<QString, QString, QString, QString, QString, bool, bool>(
            {"qtPlatform", "sessionType", "waylandDisplay", "display", "forced", "display_found",
             "wayland_only"});
    const Session session{qtPlatform, sessionType, waylandDisplay, display};
    QCOMPARE(forcedPlatform(session), forced);
    QCOMPARE(hasDisplay(session), display_found);
    QCOMPARE(waylandOnly(session), wayland_only);
}

void tst_Platform::onTopKeepsTheNativeWindow()
{
    QWidget window;
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window.resize(141, 66);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const WId native = window.windowHandle()->winId();
    const QPoint place = window.pos();

    QtWindowManager windows;
    for (const bool onTop : {true, false, true}) {
        windows.setOnTop(&window, onTop, window.pos());
        QCOMPARE(window.windowHandle()->winId(), native);
        QVERIFY(window.isVisible());
        QCOMPARE(window.pos(), place);
        QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        QCOMPARE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
    }
}

void tst_Platform::outerPlaceRoundsHalfToEven_data()
{
    addColumns<QPointF, QPoint>({"twips", "frame"});

    QTest::addRow("whole pixels") << QPointF(150, 300) << QPoint(10, 20);
    QTest::addRow("a half down to the even pixel") << QPointF(157.5, 307.5) << QPoint(10, 20);
    QTest::addRow("a half up to the even pixel") << QPointF(172.5, 322.5) << QPoint(12, 22);
    QTest::addRow("under a half") << QPointF(164, 314) << QPoint(11, 21);
}

void tst_Platform::outerPlaceRoundsHalfToEven()
{
    const auto [twips, frame] = fetchColumns<QPointF, QPoint>({"twips", "frame"});

    QWidget window;
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window.setFixedSize(141, 66);
    QtWindowManager windows;
    // The test platform's frame is 2 pixels all round, known before the window is shown.
    QCOMPARE(windows.outerSizeTwips(&window), QSizeF(145 * 15, 70 * 15));
    windows.moveOuterTwips(&window, twips);
    QCOMPARE(window.frameGeometry().topLeft(), frame);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.frameGeometry().topLeft(), frame);
}

QTEST_MAIN(tst_Platform)
#include "tst_platform.moc"
