#include "forms/forms.h"
#include "platform/ticker.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"
#include "windows/frmNouveau.h"
#include "windows/frmTintel.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tintel;
using namespace tintel::test;

namespace {

const QString kRefusedText = u"Caractère non autorisé. Vous ne pouvez saisir que des chiffres et "
                             u"le signe des 2 points [:] comme séparateur horaire."_s;
const QString kPastQuestion =
    u"L'heure que vous avez entrer est inférieure à l'heure actuelle.\r\n"
    u"Si vous le souhaitez, cette alarme se déclenchera demain à l'heure saisie.\r\n"
    u"Appuyez sur OUI pour valider l'alarme pour demain\r\n"
    u"Appuyez sur NON pour annuler"_s;

struct Rig : WindowRig
{

    // Shown and active: keys move between controls only in the active window.
    frmNouveau& show()
    {
        forms.show<frmNouveau>();
        [this] { QVERIFY(QTest::qWaitForWindowActive(&window())); }();
        return window();
    }
    frmNouveau& window() const { return *forms.loaded<frmNouveau>(); }
    QLineEdit* txtHeure() const { return child<QLineEdit>(window(), u"txtHeure"_s); }
    QPlainTextEdit* txtMessage() const { return child<QPlainTextEdit>(window(), u"txtMessage"_s); }
    QPushButton* button(const QString& name) const { return child<QPushButton>(window(), name); }
    // The alarm time the countdown window shows, empty while none is shown.
    QString shownAlarm() const
    {
        const frmTintel* tintel = forms.loaded<frmTintel>();
        return tintel && tintel->isVisible() ? tintel->findChild<QLabel*>(u"txtTintel"_s)->text()
                                             : QString();
    }
};

// The boxes shown, as the one information box expected.
QList<Message> informationBox(const QString& text, const QString& title,
                              Message::Buttons buttons = Message::Buttons::Ok,
                              Message::Answer defaultButton = Message::Answer::Ok)
{
    return {Message{text, title, buttons, Message::Icon::Information, defaultButton}};
}

// How the user asks for the activation.
enum class Route { EnterInTime, EnterInMessage, AltA, Click };

void activate(Rig& rig, Route route)
{
    switch (route) {
    case Route::EnterInTime:
        rig.txtHeure()->setFocus();
        QTest::keyClick(rig.txtHeure(), Qt::Key_Return);
        break;
    case Route::EnterInMessage:
        rig.txtMessage()->setFocus();
        QTest::keyClick(rig.txtMessage(), Qt::Key_Return);
        break;
    case Route::AltA: {
        // An access key clicks its button after a short animation, from the event loop.
        QSignalSpy clicked(rig.button(u"cmdValider"_s), &QPushButton::clicked);
        rig.txtMessage()->setFocus();
        QTest::keyClick(rig.txtMessage(), Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(clicked.size(), 1);
        break;
    }
    case Route::Click:
        QTest::mouseClick(rig.button(u"cmdValider"_s), Qt::LeftButton);
        break;
    }
}

const std::pair<const char*, Route> kRoutes[] = {{"Enter in time box", Route::EnterInTime},
                                                 {"Enter in message box", Route::EnterInMessage},
                                                 {"Alt+A", Route::AltA},
                                                 {"click", Route::Click}};

} // namespace

Q_DECLARE_METATYPE(Route)

class TestFrmNouveau : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void centredWithFocusInTime();
    void clockLabels();
    void typing_data();
    void typing();
    void paste_data();
    void paste();
    void refusedActivation_data();
    void refusedActivation();
    void acceptedActivation_data();
    void acceptedActivation();
    void pastTimeNo();
    void ctrlEnterBreaksLine();
    void quit_data();
    void quit();
    void outsideClose_data();
    void outsideClose();
    void linkByIndex_data();
    void linkByIndex();
};

void TestFrmNouveau::centredWithFocusInTime()
{
    Rig rig;
    frmNouveau& window = rig.show();
    QCOMPARE(QApplication::focusWidget(), rig.txtHeure());
    QCOMPARE(window.size(), QSize(329, 162));
    // A title, and no button in the title bar.
    QVERIFY(window.windowFlags() & Qt::WindowTitleHint);
    QCOMPARE(window.windowFlags() & kTitleBarButtons, Qt::WindowFlags());
    TINTEL_VERIFY_PLACED(settledFrame(window, Place::Centred), Place::Centred);
    QCOMPARE(rig.record.gCheminAide, u"/opt/tintel/aide.htm"_s);
}

void TestFrmNouveau::clockLabels()
{
    Rig rig;
    rig.fp.clock.set(QDateTime(QDate(2026, 3, 4), QTime(14, 3, 27, 6)));
    frmNouveau& window = rig.show();
    auto* lblHeure = window.findChild<QLabel*>(u"lblHeure"_s);
    auto* lbljour = window.findChild<QLabel*>(u"lbljour"_s);
    QCOMPARE(lblHeure->text(), u"00:00:00"_s);
    QCOMPARE(lbljour->text(), u"00/00/0000"_s);

    rig.fp.tickers.tickAll();
    QCOMPARE(lblHeure->text(), u"14:03:27"_s);
    QCOMPARE(lbljour->text(), u"04/03/2026"_s);

    rig.tickAt(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999)));
    QCOMPARE(lblHeure->text(), u"23:59:59"_s);
    QCOMPARE(lbljour->text(), u"31/12/2026"_s);
}

void TestFrmNouveau::typing_data()
{
    // Each step types its text, presses Backspace so many times, and leaves the box showing so;
    // a refused character beeps and says why.
    addColumns<QStringList, QList<int>, QStringList, bool>(
        {"typed", "backspaces", "shown", "refused"});

    const auto refusal = [](const char* tag, const QString& before, const QString& typed) {
        QTest::addRow("%s", tag) << QStringList{before, typed} << QList<int>{0, 0}
                                 << QStringList{before, before} << true;
    };
    refusal("letter", u"12"_s, u"a"_s);
    refusal("capital letter", u"12"_s, u"H"_s);
    refusal("space", u"12"_s, u" "_s);
    refusal("comma", u"12"_s, u","_s);
    refusal("full stop", u"7"_s, u"."_s);
    refusal("letter into an empty box", QString(), u"x"_s);
    refusal("letter into a full box", u"12:34"_s, u"h"_s);
    QTest::addRow("backspace") << QStringList{u"12:"_s, QString()} << QList<int>{1, 3}
                               << QStringList{u"12"_s, QString()} << false;
    QTest::addRow("sixth character") << QStringList{u"1:2:345"_s, u"::"_s} << QList<int>{0, 0}
                                     << QStringList{u"1:2:3"_s, u"1:2:3"_s} << false;
}

void TestFrmNouveau::typing()
{
    const auto [typed, backspaces, shown, refused] =
        fetchColumns<QStringList, QList<int>, QStringList, bool>(
            {"typed", "backspaces", "shown", "refused"});
    Rig rig;
    rig.show();
    // The beep comes first and the character is already gone while the box is up.
    int beepsWhileShown = -1;
    QString textWhileShown;
    rig.fp.boxes.onShow = [&](const Message&) {
        beepsWhileShown = rig.fp.beeper.beeps;
        textWhileShown = rig.txtHeure()->text();
    };
    for (qsizetype step = 0; step < typed.size(); ++step) {
        typeText(rig.txtHeure(), typed[step]);
        for (int i = 0; i < backspaces[step]; ++i)
            QTest::keyClick(rig.txtHeure(), Qt::Key_Backspace);
        QCOMPARE(rig.txtHeure()->text(), shown[step]);
        QCOMPARE(rig.fp.beeper.beeps, refused && step == typed.size() - 1 ? 1 : 0);
    }
    if (refused) {
        QCOMPARE(beepsWhileShown, 1);
        QCOMPARE(textWhileShown, shown.last());
    }
    QCOMPARE(rig.fp.boxes.shown,
             refused ? informationBox(kRefusedText, u"Donnée non valide"_s) : QList<Message>());
}

void TestFrmNouveau::paste_data()
{
    addColumns<Qt::Key, Qt::KeyboardModifiers, QString, bool>(
        {"key", "modifiers", "clipboard", "accepted"});

    const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
    const auto shift = Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::addRow("Ctrl+V of a time") << Qt::Key_V << ctrl << u"07:30"_s << true;
    QTest::addRow("Shift+Insert of a time") << Qt::Key_Insert << shift << u"07:30"_s << true;
    QTest::addRow("Ctrl+V with a letter") << Qt::Key_V << ctrl << u"12:3a"_s << false;
    QTest::addRow("Shift+Insert with a letter") << Qt::Key_Insert << shift << u"12:3a"_s << false;
    QTest::addRow("Ctrl+V with a space") << Qt::Key_V << ctrl << u"7 :30"_s << false;
    QTest::addRow("Ctrl+V with a line break") << Qt::Key_V << ctrl << u"07:30\n"_s << false;
}

void TestFrmNouveau::paste()
{
    const auto [key, modifiers, clipboard, accepted] =
        fetchColumns<Qt::Key, Qt::KeyboardModifiers, QString, bool>(
            {"key", "modifiers", "clipboard", "accepted"});

    Rig rig;
    rig.show();
    QGuiApplication::clipboard()->setText(clipboard);
    rig.txtHeure()->setFocus();
    QTest::keyClick(rig.txtHeure(), key, modifiers);

    QCOMPARE(rig.txtHeure()->text(), accepted ? clipboard : QString());
    QCOMPARE(rig.fp.beeper.beeps, accepted ? 0 : 1);
    QCOMPARE(rig.fp.boxes.shown,
             accepted ? QList<Message>() : informationBox(kRefusedText, u"Donnée non valide"_s));
}

void TestFrmNouveau::refusedActivation_data()
{
    // An empty focus: the focus stays where the route left it.
    addColumns<QString, QString, Route, QString, QString, QString>(
        {"time", "message", "route", "text", "title", "focus"});

    const QString timeMissing = u"Vous n'avez pas saisi l'heure pour la nouvelle alarme."_s;
    const QString messageMissing = u"Vous n'avez pas saisi le texte du message à afficher pour "
                                   u"la nouvelle alarme."_s;
    const QString invalid = u"L'heure que vous avez saisi n'est pas valide. Entrez celle-ci "
                            u"comme suit: ##:## ou # sont des chiffres."_s;
    for (const auto& [routeName, route] : kRoutes) {
        QTest::addRow("both empty, %s", routeName) << QString() << QString() << route << timeMissing
                                                   << u"Donnée manquante"_s << u"txtHeure"_s;
        QTest::addRow("time missing, %s", routeName)
            << QString() << u"Réunion"_s << route << timeMissing << u"Donnée manquante"_s
            << u"txtHeure"_s;
        QTest::addRow("message missing, %s", routeName)
            << u"12:00"_s << QString() << route << messageMissing << u"Donnée manquante"_s
            << u"txtMessage"_s;
        QTest::addRow("25:00 without message, %s", routeName)
            << u"25:00"_s << QString() << route << messageMissing << u"Donnée manquante"_s
            << u"txtMessage"_s;
        QTest::addRow("25:00, %s", routeName) << u"25:00"_s << u"Réunion"_s << route << invalid
                                              << u"Donnée non conforme"_s << QString();
        QTest::addRow("12:60, %s", routeName) << u"12:60"_s << u"Réunion"_s << route << invalid
                                              << u"Donnée non conforme"_s << QString();
        QTest::addRow("colon only, %s", routeName)
            << u":"_s << u"Réunion"_s << route << invalid << u"Donnée non conforme"_s << QString();
    }
}

void TestFrmNouveau::refusedActivation()
{
    const auto [time, message, route, text, title, focus] =
        fetchColumns<QString, QString, Route, QString, QString, QString>(
            {"time", "message", "route", "text", "title", "focus"});

    Rig rig;
    const AlarmRecord earlier{u"08:30:00"_s, u"ancien"_s, QDate(2026, 1, 1), QString()};
    frmNouveau& window = rig.show();
    rig.record.gHeureCible = earlier.gHeureCible;
    rig.record.gTexteMessage = earlier.gTexteMessage;
    rig.record.gDateCible = earlier.gDateCible;
    typeText(rig.txtHeure(), time);
    typeText(rig.txtMessage(), message);
    // The focus is somewhere else than where the refusal must put it.
    rig.button(u"cmdAnnuler"_s)->setFocus();
    QWidget* focusWhileShown = nullptr;
    rig.fp.boxes.onShow = [&](const Message&) { focusWhileShown = window.focusWidget(); };

    activate(rig, route);

    QCOMPARE(rig.fp.boxes.shown, informationBox(text, title));
    QVERIFY(window.focusWidget());
    if (focus.isEmpty())
        QCOMPARE(window.focusWidget(), focusWhileShown);
    else
        QCOMPARE(window.focusWidget()->objectName(), focus);

    QCOMPARE(rig.txtHeure()->text(), time);
    QCOMPARE(rig.txtMessage()->toPlainText(), message);
    QCOMPARE(rig.record.gHeureCible, earlier.gHeureCible);
    QCOMPARE(rig.record.gTexteMessage, earlier.gTexteMessage);
    QCOMPARE(rig.record.gDateCible, earlier.gDateCible);
    QVERIFY(window.isVisible());
    QVERIFY(!rig.forms.isLoaded<frmTintel>());
    QCOMPARE(rig.fp.beeper.beeps, 0);
}

void TestFrmNouveau::acceptedActivation_data()
{
    // An alarm on a later day than `now` is past: the question is answered Yes.
    addColumns<QDateTime, QString, QString, Route, QString, QString, QDate>(
        {"now", "time", "message", "route", "label", "heureCible", "dateCible"});

    const QDateTime now(kAlarmDay, QTime(1, 0, 0, 900));
    for (const auto& [routeName, route] : kRoutes) {
        QTest::addRow("7:5, %s", routeName)
            << now << u"7:5"_s << u"Réunion"_s << route << u"07:05"_s << u"07:05:00"_s << kAlarmDay;
        QTest::addRow("typed seconds dropped, %s", routeName)
            << now << u"1:2:3"_s << u"x"_s << route << u"01:02"_s << u"01:02:00"_s << kAlarmDay;
        QTest::addRow("message of spaces, %s", routeName)
            << now << u"23:59"_s << u"   "_s << route << u"23:59"_s << u"23:59:00"_s << kAlarmDay;
        QTest::addRow("no-break space kept, %s", routeName)
            << now << u"12:00"_s << u"Réunion\u00a0: salle\u00a02"_s << route << u"12:00"_s
            << u"12:00:00"_s << kAlarmDay;
        QTest::addRow("current minute at second 00, %s", routeName)
            << now << u"01:00"_s << u"a"_s << route << u"01:00"_s << u"01:00:00"_s << kAlarmDay;
    }
    const auto enter = Route::EnterInTime;
    QTest::addRow("last day of the year")
        << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 30)) << u"0:00"_s << u"Bonne année"_s
        << enter << u"00:00"_s << u"00:00:00"_s << QDate(2027, 1, 1);
    QTest::addRow("last day of February")
        << QDateTime(QDate(2026, 2, 28), QTime(12, 0, 0)) << u"11:59"_s << u"Bonne année"_s << enter
        << u"11:59"_s << u"11:59:00"_s << QDate(2026, 3, 1);
    QTest::addRow("current minute at second 01")
        << QDateTime(kAlarmDay, QTime(7, 30, 1)) << u"07:30"_s << u"Bonne année"_s << enter
        << u"07:30"_s << u"07:30:00"_s << QDate(2026, 6, 16);
}

void TestFrmNouveau::acceptedActivation()
{
    const auto [now, time, message, route, label, heureCible, dateCible] =
        fetchColumns<QDateTime, QString, QString, Route, QString, QString, QDate>(
            {"now", "time", "message", "route", "label", "heureCible", "dateCible"});

    Rig rig;
    rig.fp.clock.set(now);
    frmNouveau& window = rig.show();
    QPointer<frmNouveau> watched(&window);
    QPointer<Ticker> clock = window.timer();
    QVERIFY(clock->isActive());
    typeText(rig.txtHeure(), time);
    typeText(rig.txtMessage(), message);
    const bool past = dateCible != now.date();
    if (past)
        rig.fp.boxes.answers.enqueue(Message::Answer::Yes);

    activate(rig, route);

    // The clock ends with the unload, not later with the object.
    QVERIFY(!clock || !clock->isActive());

    QCOMPARE(rig.fp.boxes.shown, past ? informationBox(kPastQuestion, u"Attention..."_s,
                                                       Message::Buttons::YesNo, Message::Answer::No)
                                      : QList<Message>());
    QVERIFY(!rig.forms.isLoaded<frmNouveau>());
    QVERIFY(!watched || !watched->isVisible());
    QCOMPARE(rig.shownAlarm(), label);
    QCOMPARE(rig.record.gHeureCible, heureCible);
    QCOMPARE(rig.record.gTexteMessage, message);
    QCOMPARE(rig.record.gDateCible, dateCible);
    // The hand-over does not end the program.
    QTRY_VERIFY(!watched);
    QCOMPARE(rig.quits, 0);
}

void TestFrmNouveau::pastTimeNo()
{
    Rig rig;
    const QDate today(2026, 6, 15);
    rig.fp.clock.set(QDateTime(today, QTime(9, 0, 1)));
    frmNouveau& window = rig.show();
    typeText(rig.txtHeure(), u"9:00"_s);
    typeText(rig.txtMessage(), u"Réunion"_s);
    bool countdownLoadedWhileAsked = false;
    rig.fp.boxes.onShow = [&](const Message&) {
        countdownLoadedWhileAsked = rig.forms.isLoaded<frmTintel>();
    };
    rig.txtMessage()->setFocus();

    // No answer scripted: the question's default button answers, as Enter would.
    QTest::keyClick(rig.txtMessage(), Qt::Key_Return);

    QCOMPARE(rig.fp.boxes.shown, informationBox(kPastQuestion, u"Attention..."_s,
                                                Message::Buttons::YesNo, Message::Answer::No));
    QVERIFY(countdownLoadedWhileAsked);

    QVERIFY(window.isVisible());
    QCOMPARE(rig.txtHeure()->text(), QString());
    QCOMPARE(window.focusWidget(), rig.txtHeure());
    QCOMPARE(rig.txtMessage()->toPlainText(), u"Réunion"_s);
    QCOMPARE(rig.record.gHeureCible, u"09:00:00"_s);
    QCOMPARE(rig.record.gTexteMessage, u"Réunion"_s);
    QCOMPARE(rig.record.gDateCible, today);
    frmTintel* hidden = rig.forms.loaded<frmTintel>();
    QVERIFY(hidden);
    QVERIFY(!hidden->isVisible());

    // The hidden countdown window is the one the next activation shows.
    typeText(rig.txtHeure(), u"10:15"_s);
    QTest::keyClick(rig.txtHeure(), Qt::Key_Return);
    QCOMPARE(rig.forms.loaded<frmTintel>(), hidden);
    QCOMPARE(rig.shownAlarm(), u"10:15"_s);
    QCOMPARE(rig.record.gHeureCible, u"10:15:00"_s);
    QCOMPARE(rig.record.gDateCible, today);
    QVERIFY(!rig.forms.isLoaded<frmNouveau>());
}

void TestFrmNouveau::ctrlEnterBreaksLine()
{
    Rig rig;
    rig.fp.clock.set(QDateTime(QDate(2026, 6, 15), QTime(6, 0, 0)));
    rig.show();
    typeText(rig.txtHeure(), u"07:30"_s);
    rig.txtMessage()->setFocus();
    typeText(rig.txtMessage(), u"ligne 1"_s);
    QTest::keyClick(rig.txtMessage(), Qt::Key_Return, Qt::ControlModifier);
    typeText(rig.txtMessage(), u"ligne 2"_s);
    QTest::keyClick(rig.txtMessage(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    typeText(rig.txtMessage(), u"ligne 3"_s);

    QCOMPARE(rig.txtMessage()->toPlainText(), u"ligne 1\nligne 2\nligne 3"_s);
    QVERIFY(rig.fp.boxes.shown.isEmpty());
    QVERIFY(rig.forms.isLoaded<frmNouveau>());

    QTest::keyClick(rig.txtMessage(), Qt::Key_Return);
    QVERIFY(rig.fp.boxes.shown.isEmpty());
    QVERIFY(!rig.forms.isLoaded<frmNouveau>());
    QCOMPARE(rig.record.gTexteMessage, u"ligne 1\nligne 2\nligne 3"_s);
}

void TestFrmNouveau::quit_data()
{
    // No answers: the confirmation's default button answers.
    addColumns<QString, Qt::Key, Qt::KeyboardModifiers, QList<Message::Answer>, bool>(
        {"focus", "key", "modifiers", "answers", "quits"});

    const auto none = Qt::KeyboardModifiers();
    const auto alt = Qt::KeyboardModifiers(Qt::AltModifier);
    const QList<Message::Answer> yes{Message::Answer::Yes};
    const QList<Message::Answer> no{Message::Answer::No};
    for (const QString& focus : {u"txtHeure"_s, u"txtMessage"_s}) {
        const QByteArray in = focus.toUtf8();
        QTest::addRow("Esc in %s, No", in.constData())
            << focus << Qt::Key_Escape << none << no << false;
        QTest::addRow("Esc in %s, Yes", in.constData())
            << focus << Qt::Key_Escape << none << yes << true;
        QTest::addRow("Esc in %s, then Enter", in.constData())
            << focus << Qt::Key_Escape << none << QList<Message::Answer>() << true;
        QTest::addRow("Alt+Q in %s, No", in.constData())
            << focus << Qt::Key_Q << alt << no << false;
        QTest::addRow("Alt+Q in %s, Yes", in.constData())
            << focus << Qt::Key_Q << alt << yes << true;
    }
}

void TestFrmNouveau::quit()
{
    const auto [focus, key, modifiers, answers, quits] =
        fetchColumns<QString, Qt::Key, Qt::KeyboardModifiers, QList<Message::Answer>, bool>(
            {"focus", "key", "modifiers", "answers", "quits"});

    Rig rig;
    frmNouveau& window = rig.show();
    typeText(rig.txtHeure(), u"12:3"_s);
    typeText(rig.txtMessage(), u"garder"_s);
    for (Message::Answer answer : answers)
        rig.fp.boxes.answers.enqueue(answer);
    QWidget* target = window.findChild<QWidget*>(focus);
    target->setFocus();

    QSignalSpy clicked(rig.button(u"cmdAnnuler"_s), &QPushButton::clicked);
    QTest::keyClick(target, key, modifiers);
    QTRY_COMPARE(clicked.size(), 1);

    QCOMPARE(rig.fp.boxes.shown,
             informationBox(u"Appuyez sur OUI pour confirmer la fin du programme."_s, u"TINTEL"_s,
                            Message::Buttons::YesNo, Message::Answer::Yes));
    QCOMPARE(rig.fp.beeper.beeps, 0);
    if (quits) {
        QCOMPARE(rig.fp.settings.writes, QStringList{u"tintel/parametres/etat=inactif"_s});
        QCOMPARE(rig.fp.terminator.terminations, 1);
    } else {
        QVERIFY(rig.fp.settings.writes.isEmpty());
        QCOMPARE(rig.fp.terminator.terminations, 0);
        QVERIFY(window.isVisible());
        QCOMPARE(rig.txtHeure()->text(), u"12:3"_s);
        QCOMPARE(rig.txtMessage()->toPlainText(), u"garder"_s);
        QCOMPARE(window.focusWidget(), target);
    }
    QCOMPARE(rig.quits, 0);
}

void TestFrmNouveau::outsideClose_data()
{
    addColumns<bool>({"hiddenCountdown"});

    QTest::addRow("alone") << false;
    QTest::addRow("with a hidden countdown window") << true;
}

void TestFrmNouveau::outsideClose()
{
    QFETCH(bool, hiddenCountdown);

    Rig rig;
    rig.fp.clock.set(QDateTime(QDate(2026, 6, 15), QTime(9, 0, 0)));
    frmNouveau& window = rig.show();
    QPointer<frmNouveau> watched(&window);
    if (hiddenCountdown) {
        typeText(rig.txtHeure(), u"08:00"_s);
        typeText(rig.txtMessage(), u"Réunion"_s);
        rig.fp.boxes.answers.enqueue(Message::Answer::No);
        QTest::keyClick(rig.txtHeure(), Qt::Key_Return);
        QVERIFY(rig.forms.isLoaded<frmTintel>());
    }
    const int boxes = int(rig.fp.boxes.shown.size());

    QVERIFY(window.close());

    QVERIFY(!rig.forms.isLoaded<frmNouveau>());
    QCOMPARE(rig.fp.boxes.shown.size(), boxes);
    QTRY_COMPARE(rig.quits, 1);
    QVERIFY(!watched);
    QVERIFY(rig.fp.settings.writes.isEmpty());
    QCOMPARE(rig.fp.terminator.terminations, 0);
}

void TestFrmNouveau::linkByIndex_data()
{
    addIndexRows(4, "F%d", 1, u"Label3_%1"_s);
}

void TestFrmNouveau::linkByIndex()
{
    WindowRig rig;
    frmNouveau& nouveau = rig.forms.form<frmNouveau>();
    const qint16 index = verifyIndexRow([&nouveau](qint16 i) { return nouveau.Label3(i); });
    // A link is blue, not underlined, under the hand. A click on an index without a link runs
    // no key (those with one are clicked elsewhere).
    if (QLabel* link = nouveau.Label3(index)) {
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(!link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(link->cursor().hotSpot(), QPoint(12, 1));
        QCOMPARE(link->cursor().pixmap().size(), QSize(32, 32));
    } else {
        nouveau.Label3_Click(index);
        QVERIFY(rig.fp.shell.opened.isEmpty());
        QVERIFY(rig.fp.boxes.shown.isEmpty());
    }
    rig.forms.unload<frmNouveau>();
}

QTEST_MAIN(TestFrmNouveau)
#include "tst_frmNouveau.moc"
