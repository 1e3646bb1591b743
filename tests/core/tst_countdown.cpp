#include "core/countdown.h"
#include "tests/support/testtable.h"

#include <QTest>

#include <time.h>

using namespace Qt::StringLiterals;
using namespace tintel;
using namespace tintel::test;

namespace {

const QDate kDay(2026, 6, 15);

QDateTime at(QDate d, int h, int m, int s, int ms = 0)
{
    return QDateTime(d, QTime(h, m, s, ms));
}

} // namespace

class TestCountdown : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void tempsRestant_data();
    void tempsRestant();
    void heureAtteinte_data();
    void heureAtteinte();
    void spokenTimeLeft_data();
    void spokenTimeLeft();
    void targetPassed_data();
    void targetPassed();
    void shouldFire_data();
    void shouldFire();
};

void TestCountdown::initTestCase()
{
    // A zone with daylight saving, so the rows across a change prove that days count 86400 s.
    qputenv("TZ", "Europe/Paris");
    tzset();
    const QDateTime before = at(QDate(2027, 3, 27), 12, 0, 0);
    QVERIFY2(before.secsTo(at(QDate(2027, 3, 28), 12, 0, 0)) == 23 * 3600,
             "Europe/Paris must be the local zone for the daylight-saving rows");
}

void TestCountdown::tempsRestant_data()
{
    // texts: hText:mText:rText
    addColumns<QDateTime, QDate, QString, qint32, qint32, qint32, qint32, QString>(
        {"now", "gDateCible", "gHeureCible", "s", "h", "m", "r", "texts"});

    const QString noon = u"12:00:00"_s;
    QTest::addRow("s = 0") << at(kDay, 12, 0, 0) << kDay << noon << 0 << 0 << 0 << 0
                           << u"00:00:00"_s;
    QTest::addRow("s = 59") << at(kDay, 11, 59, 1) << kDay << noon << 59 << 0 << 0 << 59
                            << u"00:00:59"_s;
    QTest::addRow("s = 3600") << at(kDay, 11, 0, 0) << kDay << noon << 3600 << 1 << 0 << 0
                              << u"01:00:00"_s;
    QTest::addRow("s = 3661") << at(kDay, 10, 58, 59) << kDay << noon << 3661 << 1 << 1 << 1
                              << u"01:01:01"_s;
    QTest::addRow("s = 86399, from yesterday") << at(kDay.addDays(-1), 12, 0, 1) << kDay << noon
                                               << 86399 << 23 << 59 << 59 << u"23:59:59"_s;
    QTest::addRow("s = -1") << at(kDay, 12, 0, 1) << kDay << noon << -1 << 0 << 0 << -1
                            << u"00:00:-1"_s;
    QTest::addRow("s = -61") << at(kDay, 12, 1, 1) << kDay << noon << -61 << 0 << -1 << -1
                             << u"00:-1:-1"_s;
    QTest::addRow("s = -3601") << at(kDay, 13, 0, 1) << kDay << noon << -3601 << -1 << 0 << -1
                               << u"-1:00:-1"_s;
    QTest::addRow("s = -36000") << at(kDay, 22, 0, 0) << kDay << noon << -36000 << -10 << 0 << 0
                                << u"-10:00:00"_s;
    QTest::addRow("missed alarm left past midnight")
        << at(kDay.addDays(1), 12, 0, 5) << kDay << noon << -86405 << -24 << 0 << -5
        << u"-24:00:-5"_s;
    QTest::addRow("tomorrow 08:00 at 09:00:00")
        << at(kDay, 9, 0, 0) << kDay.addDays(1) << u"08:00:00"_s << 82800 << 23 << 0 << 0
        << u"23:00:00"_s;
    QTest::addRow("short form of the alarm time")
        << at(kDay, 11, 59, 1) << kDay << u"12:00"_s << 59 << 0 << 0 << 59 << u"00:00:59"_s;
    QTest::addRow("milliseconds ignored, not rounded")
        << at(kDay, 11, 59, 1, 999) << kDay << noon << 59 << 0 << 0 << 59 << u"00:00:59"_s;
    QTest::addRow("milliseconds ignored past the alarm")
        << at(kDay, 12, 0, 0, 999) << kDay << noon << 0 << 0 << 0 << 0 << u"00:00:00"_s;
    QTest::addRow("across the spring change")
        << at(QDate(2027, 3, 27), 12, 0, 0) << QDate(2027, 3, 28) << noon << 86400 << 24 << 0 << 0
        << u"24:00:00"_s;
    QTest::addRow("across the autumn change")
        << at(QDate(2026, 10, 24), 12, 0, 0) << QDate(2026, 10, 25) << noon << 86400 << 24 << 0 << 0
        << u"24:00:00"_s;
    QTest::addRow("same day over the spring gap")
        << at(QDate(2027, 3, 28), 1, 0, 0) << QDate(2027, 3, 28) << u"04:00:00"_s << 10800 << 3 << 0
        << 0 << u"03:00:00"_s;
}

void TestCountdown::tempsRestant()
{
    const auto [now, gDateCible, gHeureCible, s, h, m, r, texts] =
        fetchColumns<QDateTime, QDate, QString, qint32, qint32, qint32, qint32, QString>(
            {"now", "gDateCible", "gHeureCible", "s", "h", "m", "r", "texts"});

    const Remaining left = TempsRestant(now, gDateCible, gHeureCible);
    QCOMPARE(left.s, s);
    QCOMPARE(left.h, h);
    QCOMPARE(left.m, m);
    QCOMPARE(left.r, r);
    QCOMPARE(left.hText + u':' + left.mText + u':' + left.rText, texts);
}

void TestCountdown::heureAtteinte_data()
{
    addColumns<QDate, QTime, QString, bool>({"today", "timeOfDay", "gHeureCible", "fires"});

    const QString noon = u"12:00:00"_s;
    QTest::addRow("second 59 of the minute before") << kDay << QTime(11, 59, 59) << noon << false;
    QTest::addRow("second 00") << kDay << QTime(12, 0, 0) << noon << true;
    QTest::addRow("second 00.999") << kDay << QTime(12, 0, 0, 999) << noon << true;
    QTest::addRow("second 01") << kDay << QTime(12, 0, 1) << noon << false;
    QTest::addRow("next day at the alarm time") << kDay.addDays(1) << QTime(12, 0) << noon << false;
    QTest::addRow("day before at the alarm time")
        << kDay.addDays(-1) << QTime(12, 0) << noon << false;
    QTest::addRow("same minute, other hour") << kDay << QTime(13, 0) << noon << false;
    QTest::addRow("same hour, other minute") << kDay << QTime(12, 1) << noon << false;
    QTest::addRow("short form at second 00") << kDay << QTime(12, 0) << u"12:00"_s << true;
    QTest::addRow("short form at second 01") << kDay << QTime(12, 0, 1) << u"12:00"_s << false;
    QTest::addRow("midnight alarm") << kDay << QTime(0, 0) << u"00:00:00"_s << true;
}

void TestCountdown::heureAtteinte()
{
    const auto [today, timeOfDay, gHeureCible, fires] =
        fetchColumns<QDate, QTime, QString, bool>({"today", "timeOfDay", "gHeureCible", "fires"});
    QCOMPARE(HeureAtteinte(today, timeOfDay, kDay, gHeureCible), fires);
}

void TestCountdown::spokenTimeLeft_data()
{
    addColumns<QTime, QString>({"now", "left"});
    QTest::addRow("a last second") << QTime(11, 59, 59) << u"1 seconde"_s;
    QTest::addRow("plural from 2") << QTime(9, 57, 58) << u"2 heures, 2 minutes et 2 secondes"_s;
    QTest::addRow("one of each") << QTime(10, 58, 59) << u"1 heure, 1 minute et 1 seconde"_s;
    QTest::addRow("minutes and seconds") << QTime(11, 30, 4) << u"29 minutes et 56 secondes"_s;
    QTest::addRow("the zero minutes left out") << QTime(10, 59, 55) << u"1 heure et 5 secondes"_s;
    QTest::addRow("whole minutes") << QTime(11, 58, 0) << u"2 minutes"_s;
    QTest::addRow("the second passed") << QTime(12, 0, 1) << u"0 seconde"_s;
}

void TestCountdown::spokenTimeLeft()
{
    const auto [now, left] = fetchColumns<QTime, QString>({"now", "left"});
    QCOMPARE(
        tintel::spokenTimeLeft(u"12:00"_s, TempsRestant(QDateTime(kDay, now), kDay, u"12:00:00"_s)),
        u"Alarme à 12:00, il reste "_s + left);
}

void TestCountdown::targetPassed_data()
{
    addColumns<QDateTime, bool>({"now", "passed"});

    QTest::addRow("one second before") << at(kDay, 11, 59, 59) << false;
    QTest::addRow("at the alarm second") << at(kDay, 12, 0, 0) << false;
    QTest::addRow("late in the alarm second") << at(kDay, 12, 0, 0, 999) << false;
    QTest::addRow("one second after") << at(kDay, 12, 0, 1) << true;
    QTest::addRow("next day, earlier time of day") << at(kDay.addDays(1), 11, 0, 0) << true;
    QTest::addRow("day before, later time of day") << at(kDay.addDays(-1), 13, 0, 0) << false;
}

void TestCountdown::targetPassed()
{
    const auto [now, passed] = fetchColumns<QDateTime, bool>({"now", "passed"});
    QCOMPARE(tintel::targetPassed(now, kDay, u"12:00:00"_s), passed);
}

void TestCountdown::shouldFire_data()
{
    addColumns<QDateTime, QString, bool, bool, bool>(
        {"now", "gHeureCible", "shown", "alreadyFired", "fires"});

    const QString noon = u"12:00:00"_s;
    QTest::addRow("on the second") << at(kDay, 12, 0, 0) << noon << true << false << true;
    QTest::addRow("late in the second") << at(kDay, 12, 0, 0, 999) << noon << true << false << true;
    QTest::addRow("short form on the second")
        << at(kDay, 12, 0, 0) << u"12:00"_s << true << false << true;
    QTest::addRow("one second before") << at(kDay, 11, 59, 59) << noon << true << false << false;
    QTest::addRow("second missed by a suspend")
        << at(kDay, 12, 7, 30) << noon << true << false << true;
    QTest::addRow("next day, earlier time of day")
        << at(kDay.addDays(1), 11, 0, 0) << noon << true << false << true;
    QTest::addRow("day before, same second")
        << at(kDay.addDays(-1), 12, 0, 0) << noon << true << false << false;
    QTest::addRow("day before, later time of day")
        << at(kDay.addDays(-1), 13, 0, 0) << noon << true << false << false;
    QTest::addRow("hidden on the second") << at(kDay, 12, 0, 0) << noon << false << false << false;
    QTest::addRow("hidden after the second")
        << at(kDay, 12, 0, 5) << noon << false << false << false;
    QTest::addRow("fired, on the second") << at(kDay, 12, 0, 0) << noon << true << true << false;
    QTest::addRow("fired, after the second") << at(kDay, 12, 0, 1) << noon << true << true << false;
    QTest::addRow("unreadable alarm time")
        << at(kDay, 12, 0, 0) << u"midi"_s << true << false << false;
}

void TestCountdown::shouldFire()
{
    const auto [now, gHeureCible, shown, alreadyFired, fires] =
        fetchColumns<QDateTime, QString, bool, bool, bool>(
            {"now", "gHeureCible", "shown", "alreadyFired", "fires"});
    QCOMPARE(tintel::shouldFire(now, kDay, gHeureCible, shown, alreadyFired), fires);
}

QTEST_GUILESS_MAIN(TestCountdown)
#include "tst_countdown.moc"
