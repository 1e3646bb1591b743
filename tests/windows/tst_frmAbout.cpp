#include "forms/forms.h"
#include "info/frmAbout.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;
using namespace tintel;
using namespace tintel::test;

namespace {

const Message kUnavailable{u"Les informations système ne sont pas disponibles actuellement"_s,
                           u"Tintel"_s, Message::Buttons::Ok, Message::Icon::None,
                           Message::Answer::Ok};

// Shows the about window modally as F2 does, runs `action` inside its modal loop and returns
// once the loop has. A window the action leaves open is unloaded so that the test goes on; the
// answer tells whether the action closed it.
bool showModal(WindowRig& rig, std::function<void(frmAbout&)> action)
{
    bool closedByAction = false;
    rig.whenModal<frmAbout>([&rig, action, &closedByAction](frmAbout& about) {
        action(about);
        closedByAction = !rig.forms.isLoaded<frmAbout>();
        if (!closedByAction)
            rig.forms.unload<frmAbout>();
    });
    rig.forms.showModal<frmAbout>(nullptr);
    return closedByAction;
}

QPushButton* button(frmAbout& about, const QString& name)
{
    return child<QPushButton>(about, name);
}

bool focusOn(QWidget* widget)
{
    return QTest::qWaitFor([widget] { return QApplication::focusWidget() == widget; }, 2000);
}

using OptionalValue = std::optional<FakeRegistry::Value>;

} // namespace

Q_DECLARE_METATYPE(OptionalValue)

class TestFrmAbout : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void texts_data();
    void texts();
    void version_data();
    void version();
    void fonts_data();
    void fonts();
    void layout();
    void separator();
    void close_data();
    void close();
    void centred_data();
    void centred();
    void sysInfo_data();
    void sysInfo();
    void eachPressSearchesAgain_data();
    void eachPressSearchesAgain();
    void loadsAfreshEachShowing();
};

void TestFrmAbout::texts_data()
{
    addColumns<QString, QString>({"name", "expected"});

    QTest::addRow("caption") << u"frmAbout"_s << u"À propos de Tintel"_s;
    QTest::addRow("title") << u"lblTitle"_s << u"Tintel"_s;
    QTest::addRow("version") << u"lblVersion"_s << u"Version 1.0.0"_s;
    QTest::addRow("description heading")
        << u"lblDescription_0"_s << u"Description de l'application"_s;
    QTest::addRow("description") << u"lblDescription_1"_s
                                 << u"Pour vous rappeler un évenement de la journée..."_s;
    QTest::addRow("notice heading") << u"lblAvertissement_0"_s << u"Avertissement:"_s;
    QTest::addRow("notice") << u"lblAvertissement_1"_s
                            << u"Ce logiciel est gratuit : vous pouvez l'utiliser et le partager "
                               u"librement. Il est fourni tel quel, sans aucune garantie "
                               u"d'aucune sorte."_s;
    QTest::addRow("OK") << u"cmdOK"_s << u"OK"_s;
    QTest::addRow("system information") << u"cmdSysInfo"_s << u"&Infos système..."_s;
}

void TestFrmAbout::texts()
{
    const auto [name, expected] = fetchColumns<QString, QString>({"name", "expected"});

    WindowRig rig;
    frmAbout& about = rig.forms.form<frmAbout>();
    QWidget* widget = child(about, name);
    if (widget == &about) {
        QCOMPARE(about.windowTitle(), expected);
    } else if (auto* cmd = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(cmd->text(), expected);
    } else {
        auto* label = qobject_cast<QLabel*>(widget);
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->text(), expected);
        // Shown whole in the substitute faces.
        if (label->wordWrap())
            QVERIFY(label->heightForWidth(label->width()) <= label->height());
        else
            QVERIFY(label->width() >= label->sizeHint().width());
    }
    rig.forms.unload<frmAbout>();
}

void TestFrmAbout::version_data()
{
    addVersionRows();
    QTest::addRow("largest 16-bit numbers")
        << 32767 << 32767 << 32767 << u"Version 32767.32767.32767"_s;
}

void TestFrmAbout::version()
{
    WindowRig rig;
    const QString expected = useVersionOfRow(rig.fp.program);
    QLabel* lblVersion = child<QLabel>(rig.forms.form<frmAbout>(), u"lblVersion"_s);
    QCOMPARE(lblVersion->text(), expected);
    QVERIFY(lblVersion->width() >= lblVersion->sizeHint().width());
    rig.forms.unload<frmAbout>();
}

void TestFrmAbout::fonts_data()
{
    addColumns<QString, QString, double, bool, bool>(
        {"name", "family", "pointSize", "bold", "wraps"});

    QTest::addRow("title") << u"lblTitle"_s << u"MS Sans Serif"_s << 13.5 << true << false;
    QTest::addRow("version in the window font")
        << u"lblVersion"_s << u"MS Sans Serif"_s << 8.25 << false << false;
    QTest::addRow("description") << u"lblDescription_1"_s << u"MS Sans Serif"_s << 9.75 << false
                                 << true;
    QTest::addRow("notice") << u"lblAvertissement_1"_s << u"MS Serif"_s << 6.75 << false << true;
}

void TestFrmAbout::fonts()
{
    const auto [name, family, pointSize, bold, wraps] =
        fetchColumns<QString, QString, double, bool, bool>(
            {"name", "family", "pointSize", "bold", "wraps"});

    WindowRig rig;
    QLabel* label = child<QLabel>(rig.forms.form<frmAbout>(), name);
    QCOMPARE(label->font().family(), family);
    QCOMPARE(label->font().pointSizeF(), pointSize);
    QCOMPARE(label->font().bold(), bold);
    QCOMPARE(label->wordWrap(), wraps);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    rig.forms.unload<frmAbout>();
}

void TestFrmAbout::layout()
{
    WindowRig rig;
    frmAbout& about = rig.forms.form<frmAbout>();
    // Client area 5730 x 3195 twips, not resizable.
    QCOMPARE(about.size(), QSize(382, 213));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    const Qt::WindowFlags flags = about.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QCOMPARE(flags & kTitleBarButtons, Qt::WindowCloseButtonHint);

    QLabel* picIcon = child<QLabel>(about, u"picIcon"_s);
    QCOMPARE(picIcon->geometry(), QRect(16, 16, 32, 32));
    QCOMPARE(picIcon->pixmap().size(), QSize(32, 32));
    QCOMPARE(picIcon->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
             QPixmap(u":/icons/tintel-32.png"_s).toImage().convertToFormat(QImage::Format_ARGB32));

    QVERIFY(button(about, u"cmdOK"_s)->isDefault());
    QVERIFY(!button(about, u"cmdSysInfo"_s)->isDefault());
    QCOMPARE(button(about, u"cmdOK"_s)->nextInFocusChain(), button(about, u"cmdSysInfo"_s));
    rig.forms.unload<frmAbout>();
}

void TestFrmAbout::separator()
{
    WindowRig rig;
    const QImage image = rig.forms.form<frmAbout>().grab().toImage();
    // Grey over white, from x 90 and 105 twips to 5654.
    QCOMPARE(QColor(image.pixel(6, 139)), QColor(128, 128, 128));
    QCOMPARE(QColor(image.pixel(376, 139)), QColor(128, 128, 128));
    QCOMPARE(QColor(image.pixel(7, 140)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(376, 140)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(200, 138)), QColor(image.pixel(200, 141)));
    QVERIFY(QColor(image.pixel(200, 138)) != QColor(128, 128, 128));
    rig.forms.unload<frmAbout>();
}

void TestFrmAbout::close_data()
{
    addColumns<std::function<void(frmAbout&)>>({"closeIt"});

    using Close = std::function<void(frmAbout&)>;
    QTest::addRow("Enter") << Close(
        [](frmAbout&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); });
    QTest::addRow("Enter on the window")
        << Close([](frmAbout& about) { QTest::keyClick(&about, Qt::Key_Enter); });
    QTest::addRow("Esc") << Close(
        [](frmAbout&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); });
    QTest::addRow("click OK") << Close(
        [](frmAbout& about) { QTest::mouseClick(button(about, u"cmdOK"_s), Qt::LeftButton); });
    QTest::addRow("close box") << Close([](frmAbout& about) { about.windowHandle()->close(); });
}

void TestFrmAbout::close()
{
    QFETCH(std::function<void(frmAbout&)>, closeIt);

    WindowRig rig;
    bool focusOnOk = false;
    bool modal = false;
    const bool closed = showModal(rig, [&](frmAbout& about) {
        modal = about.windowModality() == Qt::ApplicationModal;
        focusOnOk = focusOn(button(about, u"cmdOK"_s));
        if (focusOnOk)
            closeIt(about);
    });

    QVERIFY(modal);
    QVERIFY(focusOnOk);
    QVERIFY(closed);
    QVERIFY(!rig.forms.isLoaded<frmAbout>());
    QVERIFY(rig.fp.boxes.shown.isEmpty());
    QVERIFY(rig.fp.files.started.isEmpty());
}

void TestFrmAbout::centred_data()
{
    addColumns<QSize, QPoint>({"screenTwips", "atLoad"});

    // The test platform frames a window with 2 pixels all round: 386 x 217 pixels outside.
    // (15360 - 3255) / 2 = 6052.5 twips is 403.5 pixels, to the even 404.
    QTest::addRow("1280 x 1024 screen") << QSize(19200, 15360) << QPoint(447, 404);
    QTest::addRow("800 x 600 screen") << QSize(12000, 9000) << QPoint(207, 192);
    // (2250 - 3255) / 2 = -502.5 twips is -33.5 pixels, to the even -34.
    QTest::addRow("screen smaller than the window") << QSize(4500, 2250) << QPoint(-43, -34);
}

void TestFrmAbout::centred()
{
    const auto [screenTwips, atLoad] = fetchColumns<QSize, QPoint>({"screenTwips", "atLoad"});

    WindowRig rig;
    rig.fp.screen.size = screenTwips;
    // The load step centres the outer size, frame included, before the window is shown.
    QCOMPARE(rig.forms.form<frmAbout>().pos(), atLoad);

    QRect frame;
    showModal(rig, [&](frmAbout& about) {
        // Shown, it stays where the load step put it.
        QCoreApplication::processEvents();
        frame = about.frameGeometry();
        about.cmdOK_Click();
    });

    QVERIFY2(frame.size() != QSize(382, 213), qPrintable(frameText(frame)));
    // The test platform pushes a window that would start off the screen back by its frame.
    if (atLoad.x() >= 0 && atLoad.y() >= 0) {
        QCOMPARE(frame.topLeft(), atLoad);
        TINTEL_VERIFY_PLACED(frame, Place::Centred, screenTwips / kTwipsPerPixel);
    }
}

void TestFrmAbout::sysInfo_data()
{
    addColumns<OptionalValue, OptionalValue, QStringList, bool, QStringList, bool, bool>(
        {"first", "second", "normalFiles", "startSucceeds", "expectedStarted", "unavailable",
         "registryFails"});

    using V = FakeRegistry::Value;
    const OptionalValue none;
    const OptionalValue program(V{1, QByteArrayLiteral("C:\\WINDOWS\\msinfo32.exe\0")});
    const OptionalValue folder(V{1, QByteArrayLiteral("C:\\Info\0")});
    const QStringList inFolder{u"C:\\Info\\MSINFO32.EXE"_s};

    QTest::addRow("no registry") << none << none << inFolder << true << QStringList() << true
                                 << false;
    QTest::addRow("first lookup starts its path")
        << program << folder << inFolder << true << QStringList{u"C:\\WINDOWS\\msinfo32.exe"_s}
        << false << false;
    QTest::addRow("first lookup path that cannot start")
        << program << none << QStringList() << false << QStringList{u"C:\\WINDOWS\\msinfo32.exe"_s}
        << true << false;
    QTest::addRow("second lookup with the file")
        << none << folder << inFolder << true << inFolder << false << false;
    QTest::addRow("second lookup folder ending with a separator")
        << none << OptionalValue(V{1, QByteArrayLiteral("C:\\Info\\\0")})
        << QStringList{u"C:\\Info\\\\MSINFO32.EXE"_s} << true
        << QStringList{u"C:\\Info\\\\MSINFO32.EXE"_s} << false << false;
    QTest::addRow("second lookup without the file")
        << none << folder << QStringList() << true << QStringList() << true << false;
    QTest::addRow("first lookup of another type")
        << OptionalValue(V{2, QByteArrayLiteral("%windir%\\msinfo32.exe\0")}) << folder << inFolder
        << true << QStringList() << true << false;
    QTest::addRow("first lookup of length 0")
        << OptionalValue(V{1, {}}) << folder << inFolder << true << QStringList() << true << false;
    // A program in the empty folder would be found were the failure taken for a missing key.
    QTest::addRow("failure in the search shows the message")
        << none << none << QStringList{u"\\MSINFO32.EXE"_s} << true << QStringList() << true
        << true;
}

void TestFrmAbout::sysInfo()
{
    const auto [first, second, normalFiles, startSucceeds, expectedStarted, unavailable,
                registryFails] =
        fetchColumns<OptionalValue, OptionalValue, QStringList, bool, QStringList, bool, bool>(
            {"first", "second", "normalFiles", "startSucceeds", "expectedStarted", "unavailable",
             "registryFails"});

    WindowRig rig;
    if (registryFails)
        rig.fp.registry.failIn = FakeRegistry::FailIn::Open;
    rig.fp.registry.setSysInfoValues(first, second);
    for (const QString& file : normalFiles)
        rig.fp.files.normalFiles.insert(file);
    rig.fp.files.startSucceeds = startSucceeds;

    bool openAfter = false;
    const bool closed = showModal(rig, [&](frmAbout& about) {
        QTest::mouseClick(button(about, u"cmdSysInfo"_s), Qt::LeftButton);
        openAfter = rig.forms.isLoaded<frmAbout>() && about.isVisible();
        QTest::mouseClick(button(about, u"cmdOK"_s), Qt::LeftButton);
    });

    QVERIFY(openAfter);
    QVERIFY(closed);
    QCOMPARE(rig.fp.files.started, expectedStarted);
    QCOMPARE(rig.fp.registry.openKeys, 0);
    QCOMPARE(rig.fp.boxes.shown, unavailable ? QList<Message>{kUnavailable} : QList<Message>());
}

void TestFrmAbout::eachPressSearchesAgain_data()
{
    addColumns<std::function<void(frmAbout&)>, bool>({"press", "found"});

    using Press = std::function<void(frmAbout&)>;
    const Press click = [](frmAbout& about) {
        QTest::mouseClick(button(about, u"cmdSysInfo"_s), Qt::LeftButton);
    };
    const Press accessKey = [](frmAbout& about) {
        QTest::keyClick(&about, Qt::Key_I, Qt::AltModifier);
    };
    QTest::addRow("click, program found") << click << true;
    QTest::addRow("click, program missing") << click << false;
    QTest::addRow("Alt+I, program found") << accessKey << true;
    QTest::addRow("Alt+I, program missing") << accessKey << false;
}

void TestFrmAbout::eachPressSearchesAgain()
{
    const auto [press, found] =
        fetchColumns<std::function<void(frmAbout&)>, bool>({"press", "found"});

    WindowRig rig;
    if (found) {
        rig.fp.registry.keys[kSysInfoProgramKey][QByteArrayLiteral("PATH")] = {
            1, QByteArrayLiteral("C:\\msinfo32.exe\0")};
    }
    // A mnemonic clicks after a short animation: each press is waited for before the next.
    const auto searches = [&rig] {
        return rig.fp.files.started.size() + rig.fp.boxes.shown.size();
    };
    bool pressesAnswered = false;
    bool openAfter = false;
    showModal(rig, [&](frmAbout& about) {
        if (!focusOn(button(about, u"cmdOK"_s)))
            return;
        press(about);
        const bool first = QTest::qWaitFor([&] { return searches() >= 1; }, 2000);
        press(about);
        pressesAnswered = first && QTest::qWaitFor([&] { return searches() >= 2; }, 2000);
        openAfter = about.isVisible();
        about.cmdOK_Click();
    });

    QVERIFY(pressesAnswered);
    QVERIFY(openAfter);
    const QString program = u"C:\\msinfo32.exe"_s;
    const QStringList expectedStarted = found ? QStringList{program, program} : QStringList();
    QCOMPARE(rig.fp.files.started, expectedStarted);
    QCOMPARE(rig.fp.boxes.shown.size(), found ? 0 : 2);
}

void TestFrmAbout::loadsAfreshEachShowing()
{
    WindowRig rig;
    QPointer<frmAbout> firstWindow;
    showModal(rig, [&](frmAbout& about) {
        firstWindow = &about;
        child<QLabel>(about, u"lblTitle"_s)->setText(u"changé"_s);
        child<QLabel>(about, u"lblDescription_0"_s)->setText(u"changé"_s);
        about.setWindowTitle(u"changé"_s);
        about.cmdOK_Click();
    });
    QTRY_VERIFY(firstWindow.isNull());

    rig.fp.program.minor = 7;
    QStringList texts; // the title, description, caption and version
    const bool closed = showModal(rig, [&](frmAbout& about) {
        texts << child<QLabel>(about, u"lblTitle"_s)->text()
              << child<QLabel>(about, u"lblDescription_0"_s)->text() << about.windowTitle()
              << child<QLabel>(about, u"lblVersion"_s)->text();
        QTest::keyClick(&about, Qt::Key_Escape);
    });

    QVERIFY(closed);
    QCOMPARE(texts, (QStringList{u"Tintel"_s, u"Description de l'application"_s,
                                 u"À propos de Tintel"_s, u"Version 1.7.0"_s}));
}

QTEST_MAIN(TestFrmAbout)
#include "tst_frmAbout.moc"
