#include "core/entry.h"
#include "tests/support/testtable.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace tintel;
using namespace tintel::test;

namespace {

const QDate kToday(2026, 6, 15);

QDateTime today(int h, int m, int s, int ms = 0)
{
    return QDateTime(kToday, QTime(h, m, s, ms));
}

// An alarm already in place, so that a refusal that writes anything shows.
AlarmRecord earlierAlarm()
{
    return AlarmRecord{u"08:30:00"_s, u"ancien message"_s, QDate(2026, 1, 1),
                       u"/opt/tintel/aide.htm"_s};
}

} // namespace

class TestEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timeChar_data();
    void timeChar();
    void timeText_data();
    void timeText();
    void parse_data();
    void parse();
    void texts_data();
    void texts();
    void dateTexts_data();
    void dateTexts();
    void activation_data();
    void activation();
    void refusalKeepsEarlierAlarm_data();
    void refusalKeepsEarlierAlarm();
    void acceptForTomorrow_data();
    void acceptForTomorrow();
    void messages_data();
    void messages();
};

void TestEntry::timeChar_data()
{
    addColumns<char16_t, bool>({"c", "accepted"});

    for (char16_t c = u'0'; c <= u'9'; ++c)
        QTest::addRow("digit %c", char(c)) << c << true;
    QTest::addRow("colon") << char16_t(u':') << true;
    QTest::addRow("backspace") << char16_t(8) << true;

    QTest::addRow("letter") << char16_t(u'a') << false;
    QTest::addRow("capital letter") << char16_t(u'H') << false;
    QTest::addRow("space") << char16_t(u' ') << false;
    QTest::addRow("comma") << char16_t(u',') << false;
    QTest::addRow("full stop") << char16_t(u'.') << false;
    QTest::addRow("minus") << char16_t(u'-') << false;
    QTest::addRow("slash just below 0") << char16_t(u'/') << false;
    QTest::addRow("semicolon just after colon") << char16_t(u';') << false;
    QTest::addRow("NUL") << char16_t(0) << false;
    QTest::addRow("Ctrl+C") << char16_t(3) << false;
    QTest::addRow("Ctrl+V") << char16_t(22) << false;
    QTest::addRow("Ctrl+X") << char16_t(24) << false;
    QTest::addRow("tab") << char16_t(9) << false;
    QTest::addRow("carriage return") << char16_t(13) << false;
    QTest::addRow("escape") << char16_t(27) << false;
    QTest::addRow("delete") << char16_t(127) << false;
    QTest::addRow("arabic-indic one") << char16_t(0x0661) << false;
    QTest::addRow("fullwidth zero") << char16_t(0xFF10) << false;
    QTest::addRow("fullwidth colon") << char16_t(0xFF1A) << false;
    QTest::addRow("superscript two") << char16_t(0x00B2) << false;
}

void TestEntry::timeChar()
{
    const auto [c, accepted] = fetchColumns<char16_t, bool>({"c", "accepted"});
    QCOMPARE(isTimeCharAccepted(c), accepted);
}

void TestEntry::timeText_data()
{
    addColumns<QString, bool>({"text", "accepted"});

    QTest::addRow("12:30") << u"12:30"_s << true;
    QTest::addRow("1:2:3") << u"1:2:3"_s << true;
    QTest::addRow("empty") << QString() << true;
    QTest::addRow("12:3a") << u"12:3a"_s << false;
    QTest::addRow("letter first") << u"a12:30"_s << false;
    QTest::addRow("12 30") << u"12 30"_s << false;
    QTest::addRow("trailing newline") << u"12:30\n"_s << false;
    QTest::addRow("backspace inside") << u"12\b:30"_s << false;
    QTest::addRow("arabic-indic digits") << u"\u0661\u0662:\u0663\u0660"_s << false;
}

void TestEntry::timeText()
{
    const auto [text, accepted] = fetchColumns<QString, bool>({"text", "accepted"});
    QCOMPARE(isTimeTextAccepted(text), accepted);
}

void TestEntry::parse_data()
{
    // An invalid expected time: refused.
    addColumns<QString, QTime>({"text", "expected"});

    QTest::addRow("7:5") << u"7:5"_s << QTime(7, 5);
    QTest::addRow("07:05") << u"07:05"_s << QTime(7, 5);
    QTest::addRow("1:2:3") << u"1:2:3"_s << QTime(1, 2, 3);
    QTest::addRow("0:00") << u"0:00"_s << QTime(0, 0);
    QTest::addRow("23:59") << u"23:59"_s << QTime(23, 59);
    QTest::addRow("23:59:59") << u"23:59:59"_s << QTime(23, 59, 59);
    QTest::addRow("00:00:00") << u"00:00:00"_s << QTime(0, 0);
    QTest::addRow("19:30") << u"19:30"_s << QTime(19, 30);

    const QStringList refused{u"25:00"_s,  u"24:00"_s,     u"12:60"_s, u"12:00:60"_s, u"123:4"_s,
                              u"12:345"_s, u"12:30:000"_s, u":30"_s,   u"12:"_s,      u"12:30:"_s,
                              u"12"_s,     u"1230"_s,      u"7::5"_s,  u"1:2:3:4"_s,  u"12.30"_s};
    for (const QString& text : refused)
        QTest::addRow("%s", qPrintable(text)) << text << QTime();
    QTest::addRow("empty") << QString() << QTime();
    QTest::addRow("leading space") << u" 7:05"_s << QTime();
    QTest::addRow("trailing space") << u"7:05 "_s << QTime();
    QTest::addRow("plus sign") << u"+7:05"_s << QTime();
    QTest::addRow("minus sign") << u"-0:05"_s << QTime();
    QTest::addRow("arabic-indic digits") << u"\u0661:\u0660\u0665"_s << QTime();
    QTest::addRow("fullwidth digits") << u"\uFF17:\uFF10\uFF15"_s << QTime();
}

void TestEntry::parse()
{
    const auto [text, expected] = fetchColumns<QString, QTime>({"text", "expected"});
    const std::optional<QTime> parsed = parseAlarmTime(text);
    QCOMPARE(parsed.has_value(), expected.isValid());
    QCOMPARE(parsed.value_or(QTime()), expected);
}

void TestEntry::texts_data()
{
    addColumns<QTime, QString, QString>({"time", "shortText", "longText"});

    QTest::addRow("single digits padded") << QTime(7, 5) << u"07:05"_s << u"07:05:00"_s;
    QTest::addRow("afternoon on 24 hours") << QTime(19, 30, 45) << u"19:30"_s << u"19:30:45"_s;
    QTest::addRow("midnight") << QTime(0, 0) << u"00:00"_s << u"00:00:00"_s;
    QTest::addRow("noon") << QTime(12, 0) << u"12:00"_s << u"12:00:00"_s;
}

void TestEntry::texts()
{
    const auto [time, shortText, longText] =
        fetchColumns<QTime, QString, QString>({"time", "shortText", "longText"});
    QCOMPARE(shortTimeText(time), shortText);
    QCOMPARE(longTimeText(time), longText);
}

void TestEntry::dateTexts_data()
{
    addColumns<QDate, QString>({"date", "text"});

    QTest::addRow("single-digit day and month") << QDate(2027, 3, 5) << u"05/03/2027"_s;
    QTest::addRow("day before month") << QDate(2026, 12, 31) << u"31/12/2026"_s;
}

void TestEntry::dateTexts()
{
    const auto [date, text] = fetchColumns<QDate, QString>({"date", "text"});
    QCOMPARE(dateText(date), text);
}

void TestEntry::activation_data()
{
    addColumns<QString, QString, QDateTime, ActivationOutcome, QString>(
        {"timeText", "messageText", "now", "outcome", "shortForm"});

    using enum ActivationOutcome;
    const QString msg = u"Réunion"_s;
    const QDateTime noon = today(12, 0, 0);

    QTest::addRow("both empty") << QString() << QString() << noon << TimeMissing << QString();
    QTest::addRow("message without time") << QString() << msg << noon << TimeMissing << QString();
    QTest::addRow("time without message")
        << u"12:30"_s << QString() << noon << MessageMissing << QString();
    QTest::addRow("25:00 without message")
        << u"25:00"_s << QString() << noon << MessageMissing << QString();
    QTest::addRow("25:00 with message") << u"25:00"_s << msg << noon << TimeInvalid << QString();
    QTest::addRow("12: with message") << u"12:"_s << msg << noon << TimeInvalid << QString();

    QTest::addRow("7:5") << u"7:5"_s << msg << today(6, 0, 0) << Accepted << u"07:05"_s;
    QTest::addRow("1:2:3") << u"1:2:3"_s << msg << today(0, 0, 0) << Accepted << u"01:02"_s;
    QTest::addRow("1:2:59 seconds dropped not rounded")
        << u"1:2:59"_s << msg << today(0, 0, 0) << Accepted << u"01:02"_s;
    QTest::addRow("current minute at second 00")
        << u"12:00"_s << msg << noon << Accepted << u"12:00"_s;
    QTest::addRow("current minute at second 00.999")
        << u"12:00"_s << msg << today(12, 0, 0, 999) << Accepted << u"12:00"_s;
    QTest::addRow("current minute at second 01")
        << u"12:00"_s << msg << today(12, 0, 1) << PastTime << u"12:00"_s;
    QTest::addRow("typed seconds ahead of now but dropped")
        << u"12:00:30"_s << msg << today(12, 0, 15) << PastTime << u"12:00"_s;
    QTest::addRow("later hour, earlier minute")
        << u"13:05"_s << msg << today(12, 30, 0) << Accepted << u"13:05"_s;
    QTest::addRow("earlier hour, later minute")
        << u"11:45"_s << msg << today(12, 30, 0) << PastTime << u"11:45"_s;
    QTest::addRow("0:00 at 12:00") << u"0:00"_s << msg << noon << PastTime << u"00:00"_s;
    QTest::addRow("0:00 at 00:00:00")
        << u"0:00"_s << msg << today(0, 0, 0) << Accepted << u"00:00"_s;
    QTest::addRow("multi-line message")
        << u"23:00"_s << u"Ligne 1\r\nLigne 2\r\n"_s << noon << Accepted << u"23:00"_s;
    QTest::addRow("message of spaces") << u"23:00"_s << u"   "_s << noon << Accepted << u"23:00"_s;
    QTest::addRow("message not trimmed")
        << u"23:00"_s << u"  Réunion \t"_s << noon << Accepted << u"23:00"_s;
}

// A refusal leaves the earlier alarm as it was; otherwise the alarm becomes the typed minute of
// today at second 00 with the message as typed, even when that minute has passed.
void TestEntry::activation()
{
    const auto [timeText, messageText, now, outcome, shortForm] =
        fetchColumns<QString, QString, QDateTime, ActivationOutcome, QString>(
            {"timeText", "messageText", "now", "outcome", "shortForm"});

    const bool refused =
        outcome != ActivationOutcome::Accepted && outcome != ActivationOutcome::PastTime;
    AlarmRecord expected = earlierAlarm();
    if (!refused)
        expected = {shortForm + u":00"_s, messageText, kToday, expected.gCheminAide};

    AlarmRecord record = earlierAlarm();
    const Activation result = checkActivation(timeText, messageText, now, record);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.shortForm, shortForm);
    QCOMPARE(record.gHeureCible, expected.gHeureCible);
    QCOMPARE(record.gTexteMessage, expected.gTexteMessage);
    QCOMPARE(record.gDateCible, expected.gDateCible);
    QCOMPARE(record.gCheminAide, expected.gCheminAide);
}

void TestEntry::refusalKeepsEarlierAlarm_data()
{
    addColumns<QString, QString>({"timeText", "messageText"});

    QTest::addRow("time missing") << QString() << u"deuxième"_s;
    QTest::addRow("message missing") << u"9:00"_s << QString();
    QTest::addRow("time not valid") << u"24:00"_s << u"deuxième"_s;
}

void TestEntry::refusalKeepsEarlierAlarm()
{
    const auto [timeText, messageText] =
        fetchColumns<QString, QString>({"timeText", "messageText"});

    AlarmRecord record;
    QCOMPARE(checkActivation(u"7:05"_s, u"premier"_s, today(6, 0, 0), record).outcome,
             ActivationOutcome::Accepted);
    const Activation refusal = checkActivation(timeText, messageText, today(8, 0, 0), record);
    QVERIFY(refusal.outcome != ActivationOutcome::Accepted);
    QVERIFY(refusal.outcome != ActivationOutcome::PastTime);
    QCOMPARE(record.gHeureCible, u"07:05:00"_s);
    QCOMPARE(record.gTexteMessage, u"premier"_s);
    QCOMPARE(record.gDateCible, kToday);
}

void TestEntry::acceptForTomorrow_data()
{
    addColumns<QDate, QDate>({"date", "expected"});

    QTest::addRow("last day of the year") << QDate(2026, 12, 31) << QDate(2027, 1, 1);
    QTest::addRow("end of February") << QDate(2027, 2, 28) << QDate(2027, 3, 1);
    QTest::addRow("leap day") << QDate(2028, 2, 29) << QDate(2028, 3, 1);
    QTest::addRow("day before leap day") << QDate(2028, 2, 28) << QDate(2028, 2, 29);
    QTest::addRow("end of a 30-day month") << QDate(2026, 4, 30) << QDate(2026, 5, 1);
}

void TestEntry::acceptForTomorrow()
{
    const auto [date, expected] = fetchColumns<QDate, QDate>({"date", "expected"});

    AlarmRecord record = earlierAlarm();
    record.gDateCible = date;
    tintel::acceptForTomorrow(record);
    QCOMPARE(record.gDateCible, expected);
    QCOMPARE(record.gHeureCible, earlierAlarm().gHeureCible);
    QCOMPARE(record.gTexteMessage, earlierAlarm().gTexteMessage);
}

void TestEntry::messages_data()
{
    addColumns<Message, QString, QString, Message::Buttons, Message::Icon, Message::Answer>(
        {"actual", "text", "title", "buttons", "icon", "defaultButton"});

    using B = Message::Buttons;
    using I = Message::Icon;
    using A = Message::Answer;
    const auto activate = [](const QString& time, const QString& message, QTime now) {
        AlarmRecord record;
        return checkActivation(time, message, QDateTime(kToday, now), record).message;
    };

    QTest::addRow("refused character")
        << refusedCharacterMessage()
        << u"Caractère non autorisé. Vous ne pouvez saisir que des chiffres et le signe des 2 "
           u"points [:] comme séparateur horaire."_s
        << u"Donnée non valide"_s << B::Ok << I::Information << A::Ok;
    QTest::addRow("time missing") << activate({}, {}, QTime(12, 0))
                                  << u"Vous n'avez pas saisi l'heure pour la nouvelle alarme."_s
                                  << u"Donnée manquante"_s << B::Ok << I::Information << A::Ok;
    QTest::addRow("message missing")
        << activate(u"25:00"_s, {}, QTime(12, 0))
        << u"Vous n'avez pas saisi le texte du message à afficher pour la nouvelle alarme."_s
        << u"Donnée manquante"_s << B::Ok << I::Information << A::Ok;
    QTest::addRow("time not valid")
        << activate(u"25:00"_s, u"x"_s, QTime(12, 0))
        << u"L'heure que vous avez saisi n'est pas valide. Entrez celle-ci comme suit: ##:## ou "
           u"# sont des chiffres."_s
        << u"Donnée non conforme"_s << B::Ok << I::Information << A::Ok;
    QTest::addRow("accepted shows nothing")
        << activate(u"13:00"_s, u"x"_s, QTime(12, 0)) << QString() << QString() << B::Ok
        << I::Information << A::Ok;

    const QString question =
        u"L'heure que vous avez entrer est inférieure à l'heure actuelle.\r\nSi vous le "
        u"souhaitez, cette alarme se déclenchera demain à l'heure saisie.\r\nAppuyez sur OUI "
        u"pour valider l'alarme pour demain\r\nAppuyez sur NON pour annuler"_s;
    QTest::addRow("past-time question") << pastTimeQuestion() << question << u"Attention..."_s
                                        << B::YesNo << I::Information << A::No;
    QTest::addRow("past time from activation")
        << activate(u"11:00"_s, u"x"_s, QTime(12, 0)) << question << u"Attention..."_s << B::YesNo
        << I::Information << A::No;
    QTest::addRow("quit confirmation")
        << quitConfirmation() << u"Appuyez sur OUI pour confirmer la fin du programme."_s
        << u"TINTEL"_s << B::YesNo << I::Information << A::Yes;
}

void TestEntry::messages()
{
    const auto [actual, text, title, buttons, icon, defaultButton] =
        fetchColumns<Message, QString, QString, Message::Buttons, Message::Icon, Message::Answer>(
            {"actual", "text", "title", "buttons", "icon", "defaultButton"});

    QCOMPARE(actual, (Message{text, title, buttons, icon, defaultButton}));
}

QTEST_GUILESS_MAIN(TestEntry)
#include "tst_entry.moc"
