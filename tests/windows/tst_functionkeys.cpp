#include "info/frmAbout.h"
#include "info/functionkeys.h"
#include "platform/ticker.h"
#include "startup/frmQuestion.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"
#include "windows/frmMessage.h"
#include "windows/frmNouveau.h"
#include "windows/frmTintel.h"

#include "ui_frmNouveau.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <utility>

using namespace tintel;
using namespace tintel::test;
using namespace Qt::StringLiterals;

namespace {

enum class Window { Nouveau, Tintel, Question, Message };
const struct
{
    const char* name;
    Window window;
} kWindows[] = {{"new alarm", Window::Nouveau},
                {"countdown", Window::Tintel},
                {"what next", Window::Question},
                {"message", Window::Message}};

struct Rig : WindowRig
{
    Rig()
    {
        fp.program.folder = u"/opt/rappel du matin"_s;
        record.gHeureCible = u"07:30:00"_s;
        record.gTexteMessage = u"Réunion"_s;
        record.gDateCible = fp.clock.now().date().addDays(1);
    }

    // Loads and shows one of the four windows, without a modal loop: the keys do not care.
    Form* open(Window which)
    {
        if (which == Window::Tintel)
            forms.form<frmTintel>().setAlarmTime(u"07:30"_s);
        Form* window = which == Window::Nouveau    ? &forms.form<frmNouveau>()
                       : which == Window::Tintel   ? &forms.form<frmTintel>()
                       : which == Window::Question ? &forms.form<frmQuestion>()
                                                   : static_cast<Form*>(&forms.form<frmMessage>());
        window->show();
        window->activateWindow();
        return window;
    }

    // Answers the about window with Enter from inside its modal loop, noting whether it was up
    // above the window underneath.
    void answerAbout(QWidget* underneath, bool& seen)
    {
        whenModal<frmAbout>([underneath, &seen](frmAbout& about) {
            seen = about.isVisible() && underneath->isVisible();
            QTest::keyClick(&about, Qt::Key_Return);
        });
    }

    // Every window unloaded, as the program would, at the end of each test.
    ~Rig()
    {
        forms.unload<frmAbout>();
        forms.unload<frmQuestion>();
        forms.unload<frmMessage>();
        forms.unload<frmTintel>();
        forms.unload<frmNouveau>();
    }
};

// A key goes to the focused control first, as the desktop delivers it.
QWidget* target(QWidget* window)
{
    return window->focusWidget() ? window->focusWidget() : window;
}

} // namespace

class tst_FunctionKeys : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void shellKeys_data();
    void shellKeys();
    void failureStopsTheActionWithItsMessage_data();
    void failureStopsTheActionWithItsMessage();
    void aboutKeyOpensTheAboutWindowAbove_data();
    void aboutKeyOpensTheAboutWindowAbove();
    void keyInATextBox_data();
    void keyInATextBox();
    void aboutWindowTakesNoFunctionKey();
    void linkClickRunsItsKey_data();
    void linkClickRunsItsKey();
    void linkHighlightFollowsThePointer();
    void helpFolderIsNotAFile();
};

void tst_FunctionKeys::shellKeys_data()
{
    addColumns<int, int, int, QString>({"window", "key", "modifiers", "opened"});
    const QString help = u"/opt/rappel du matin/aide.htm"_s;
    const QString web = u"http://www.example.org/kwj/index.html"_s;
    const QString mail = u"mailto:kwj@example.org?subject=Tintel journalière"_s;
    // The tag's ending, and the modifiers held.
    const std::pair<const char*, int> mods[] = {
        {"", Qt::NoModifier},
        {" with Shift", Qt::ShiftModifier},
        {" with Ctrl", Qt::ControlModifier},
        {" with Ctrl+Shift", Qt::ControlModifier | Qt::ShiftModifier},
        {" with Alt", Qt::AltModifier}};
    for (const auto& w : kWindows) {
        for (const auto& [withMods, modifiers] : mods) {
            QTest::addRow("F1 help in %s%s", w.name, withMods)
                << int(w.window) << int(Qt::Key_F1) << modifiers << help;
            QTest::addRow("F3 web page in %s%s", w.name, withMods)
                << int(w.window) << int(Qt::Key_F3) << modifiers << web;
            QTest::addRow("F4 mail in %s%s", w.name, withMods)
                << int(w.window) << int(Qt::Key_F4) << modifiers << mail;
        }
    }
}

void tst_FunctionKeys::shellKeys()
{
    const auto [window, key, modifiers, opened] =
        fetchColumns<int, int, int, QString>({"window", "key", "modifiers", "opened"});
    Rig rig;
    rig.record.gCheminAide = u"/opt/rappel du matin/aide.htm"_s;
    rig.fp.files.normalFiles << rig.record.gCheminAide;
    Form* form = rig.open(Window(window));

    QTest::keyClick(target(form), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(rig.fp.shell.opened, QStringList{opened});
    QCOMPARE(rig.fp.shell.owners.first().data(), form);
    QVERIFY(rig.fp.boxes.shown.isEmpty());
}

void tst_FunctionKeys::failureStopsTheActionWithItsMessage_data()
{
    addColumns<int, QString, bool, QString, QString>(
        {"window", "folder", "fileTestFails", "text", "title"});
    const QString missing = u"Fichier d'aide [aide.htm] introuvable. Assurez-vous que celui-ci "
                            u"doit se trouver dans:\r\n"_s;
    const std::pair<const char*, QString> folders[] = {
        {"folder with spaces", u"/opt/rappel du matin"_s},
        {"root, no separator added", u"/"_s},
        {"backslashes as given", u"C:\\Outils\\Rappel"_s}};
    for (const auto& [tag, folder] : folders) {
        QTest::addRow("help missing, %s", tag) << int(Window::Nouveau) << folder << false
                                               << missing + folder << u"fichier d'aide absent"_s;
    }
    QTest::addRow("disk not ready in the countdown")
        << int(Window::Tintel) << u"/opt/rappel du matin"_s << true
        << u"Une erreur est intervenue dans le programme.\r\nNo: 71\r\nType: Disque non prêt"_s
        << u"Erreur..."_s;
}

// The missing help's box names the folder as the program has it when the key comes.
void tst_FunctionKeys::failureStopsTheActionWithItsMessage()
{
    const auto [window, folder, fileTestFails, text, title] =
        fetchColumns<int, QString, bool, QString, QString>(
            {"window", "folder", "fileTestFails", "text", "title"});
    Rig rig;
    rig.record.gCheminAide = u"/opt/aide.htm"_s;
    Form* form = rig.open(Window(window));
    rig.fp.program.folder = folder;
    if (fileTestFails)
        rig.fp.files.normalFiles << rig.record.gCheminAide;
    rig.fp.files.failTest = fileTestFails;
    QTest::keyClick(target(form), Qt::Key_F1);
    QCOMPARE(rig.fp.boxes.shown, (QList<Message>{{text, title, Message::Buttons::Ok,
                                                  Message::Icon::Critical, Message::Answer::Ok}}));
    // Nothing after the point of failure: no shell request, the window and its clock go on.
    QVERIFY(rig.fp.shell.opened.isEmpty());
    QVERIFY(form->isVisible());
    const Ticker* clock = form->findChild<Ticker*>();
    QVERIFY(clock && clock->isActive());
}

void tst_FunctionKeys::aboutKeyOpensTheAboutWindowAbove_data()
{
    addColumns<int>({"window"});
    for (const auto& w : kWindows)
        QTest::addRow("%s", w.name) << int(w.window);
}

void tst_FunctionKeys::aboutKeyOpensTheAboutWindowAbove()
{
    QFETCH(int, window);
    Rig rig;
    Form* form = rig.open(Window(window));
    for (int round = 0; round < 2; ++round) {
        bool sawAbout = false;
        rig.answerAbout(form, sawAbout);
        QTest::keyClick(target(form), Qt::Key_F2, round ? Qt::ControlModifier : Qt::NoModifier);
        QVERIFY(sawAbout);
        // Back to the window underneath, still loaded and shown; the next F2 loads afresh.
        QVERIFY(!rig.forms.isLoaded<frmAbout>());
        QVERIFY(form->isVisible());
    }
    QVERIFY(rig.fp.shell.opened.isEmpty());
}

void tst_FunctionKeys::keyInATextBox_data()
{
    // The box ends holding what was typed, then `added`.
    addColumns<QString, QString, int, QString, QStringList>(
        {"box", "typed", "key", "added", "opened"});
    QTest::addRow("F5") << u"txtMessage"_s << u"x"_s << int(Qt::Key_F5) << QString()
                        << QStringList();
    QTest::addRow("F12") << u"txtMessage"_s << u"x"_s << int(Qt::Key_F12) << QString()
                         << QStringList();
    QTest::addRow("letter") << u"txtMessage"_s << u"x"_s << int(Qt::Key_A) << u"a"_s
                            << QStringList();
    // The time box's filter never sees F1: no refusal.
    QTest::addRow("F1 leaves the time box alone")
        << u"txtHeure"_s << u"07:3"_s << int(Qt::Key_F1) << QString()
        << QStringList{u"/opt/rappel du matin/aide.htm"_s};
}

void tst_FunctionKeys::keyInATextBox()
{
    const auto [box, typed, key, added, opened] =
        fetchColumns<QString, QString, int, QString, QStringList>(
            {"box", "typed", "key", "added", "opened"});
    Rig rig;
    Form* nouveau = rig.open(Window::Nouveau);
    rig.fp.files.normalFiles << rig.record.gCheminAide;
    QWidget* target = child(*nouveau, box);
    target->setFocus();
    QTest::keyClicks(target, typed);
    QTest::keyClick(target, Qt::Key(key));
    const char* text = qobject_cast<QLineEdit*>(target) ? "text" : "plainText";
    QCOMPARE(target->property(text).toString(), typed + added);
    QCOMPARE(rig.fp.shell.opened, opened);
    QVERIFY(rig.fp.boxes.shown.isEmpty());
    QCOMPARE(rig.fp.beeper.beeps, 0);
}

void tst_FunctionKeys::aboutWindowTakesNoFunctionKey()
{
    Rig rig;
    rig.fp.files.normalFiles << rig.record.gCheminAide;
    frmAbout& about = rig.forms.form<frmAbout>();
    about.show();
    for (Qt::Key key : {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4})
        QTest::keyClick(target(&about), key);
    QVERIFY(rig.fp.shell.opened.isEmpty());
    QVERIFY(rig.fp.boxes.shown.isEmpty());
    QVERIFY(about.isVisible());
}

void tst_FunctionKeys::linkClickRunsItsKey_data()
{
    addColumns<int, QString>({"index", "opened"});
    QTest::addRow("F1: Aide") << 0 << u"/opt/rappel du matin/aide.htm"_s;
    QTest::addRow("F3: Site de K.W.J") << 2 << u"http://www.example.org/kwj/index.html"_s;
    QTest::addRow("F4: Mail à K.W.J")
        << 3 << u"mailto:kwj@example.org?subject=Tintel journalière"_s;
}

void tst_FunctionKeys::linkClickRunsItsKey()
{
    const auto [index, opened] = fetchColumns<int, QString>({"index", "opened"});
    Rig rig;
    auto* nouveau = static_cast<frmNouveau*>(rig.open(Window::Nouveau));
    rig.fp.files.normalFiles << rig.record.gCheminAide;
    QTest::mouseClick(nouveau->Label3(qint16(index)), Qt::LeftButton);
    QCOMPARE(rig.fp.shell.opened, QStringList{opened});
    QCOMPARE(rig.fp.shell.owners.first().data(), nouveau);

    // The about link does what F2 does.
    bool sawAbout = false;
    rig.answerAbout(nouveau, sawAbout);
    QTest::mouseClick(nouveau->Label3(1), Qt::LeftButton);
    QVERIFY(sawAbout);
}

void tst_FunctionKeys::linkHighlightFollowsThePointer()
{
    Rig rig;
    auto* nouveau = static_cast<frmNouveau*>(rig.open(Window::Nouveau));
    Ui::frmNouveau& ui = nouveau->ui();
    // Highlighted labels; -1 marks a label whose colour and underline disagree.
    auto highlighted = [&] {
        QList<int> on;
        for (qint16 i = 0; i < 4; ++i) {
            QLabel* link = nouveau->Label3(i);
            const bool red = link->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
            if (red != link->font().underline())
                on << -1;
            else if (red)
                on << i;
        }
        return on;
    };
    auto moveOver = [](QWidget* widget, QPoint pos = QPoint(2, 2)) {
        QTest::mouseMove(widget, pos);
        QCoreApplication::processEvents();
    };

    moveOver(ui.Label3_2);
    QCOMPARE(highlighted(), QList<int>{2});
    // Straight onto the time box, or the frame's date: the label stays highlighted.
    moveOver(ui.txtHeure);
    moveOver(ui.lbljour);
    moveOver(ui.Label1_0);
    QCOMPARE(highlighted(), QList<int>{2});
    // Too fast for the surface between them: both stay highlighted.
    moveOver(ui.Label3_1);
    QCOMPARE(highlighted(), (QList<int>{1, 2}));
    moveOver(ui.txtMessage->viewport());
    QCOMPARE(highlighted(), QList<int>{});

    const struct
    {
        QWidget* widget;
        QPoint pos;
    } clearing[] = {{ui.cmdValider, {5, 5}},
                    {ui.cmdAnnuler, {5, 5}},
                    {ui.Frame1, {ui.Frame1->width() - 3, ui.Frame1->height() - 3}},
                    {nouveau, {nouveau->width() - 2, 2}}};
    for (const auto& surface : clearing) {
        moveOver(ui.Label3_3);
        QCOMPARE(highlighted(), QList<int>{3});
        moveOver(surface.widget, surface.pos);
        QVERIFY2(highlighted().isEmpty(), qPrintable(surface.widget->objectName()));
    }
}

void tst_FunctionKeys::helpFolderIsNotAFile()
{
    // The real file test: a folder named aide.htm is no help file.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"aide.htm"_s));
    LocalFiles files;
    QVERIFY(!files.isNormalFile(dir.filePath(u"aide.htm"_s)));
    QFile file(dir.filePath(u"vraie.htm"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(files.isNormalFile(file.fileName()));
    QVERIFY(!files.isNormalFile(dir.filePath(u"absent.htm"_s)));
}

QTEST_MAIN(tst_FunctionKeys)
#include "tst_functionkeys.moc"
