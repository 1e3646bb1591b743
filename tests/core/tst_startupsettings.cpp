#include "core/startupsettings.h"
#include "tests/support/fakes.h"

#include <QTest>

using namespace tintel;
using namespace Qt::StringLiterals;
using namespace tintel::test;

class tst_StartupSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dossierApplication_data();
    void dossierApplication();
    void firstRunWritesThreeKeysInOrder();
    void laterStartWritesOnlyEtat_data();
    void laterStartWritesOnlyEtat();
    void emptyDateCountsAsFirstRun();
    void renamedExecutableIsANewApplication();
    void quitMarkWritesOnlyInactif();
    void versionText_data();
    void versionText();
};

void tst_StartupSettings::dossierApplication_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");
    QTest::addRow("folder gets one backslash")
        << u"C:\\Outils\\Rappel"_s << QChar(u'\\') << u"C:\\Outils\\Rappel\\"_s;
    QTest::addRow("drive root unchanged") << u"C:\\"_s << QChar(u'\\') << u"C:\\"_s;
    QTest::addRow("forward slash is not a backslash")
        << u"C:/Outils/"_s << QChar(u'\\') << u"C:/Outils/\\"_s;
    QTest::addRow("unix folder gets one slash")
        << u"/opt/tintel"_s << QChar(u'/') << u"/opt/tintel/"_s;
    QTest::addRow("unix root unchanged") << u"/"_s << QChar(u'/') << u"/"_s;
}

void tst_StartupSettings::dossierApplication()
{
    QFETCH(QString, folder);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    QCOMPARE(DossierApplication(folder, separator), expected);
}

void tst_StartupSettings::firstRunWritesThreeKeysInOrder()
{
    FakeSettingsStore store;
    FakeProgramInfo program;
    runStartupSettings(store, program, QDate(2026, 3, 5));
    const QStringList expected{
        u"tintel/parametres/date de debut=05/03/2026"_s,
        u"tintel/parametres/dossier application=/opt/tintel/"_s,
        u"tintel/parametres/etat=actif"_s,
    };
    QCOMPARE(store.writes, expected);
    QCOMPARE(store.values.size(), 3);
}

void tst_StartupSettings::laterStartWritesOnlyEtat_data()
{
    QTest::addColumn<QString>("storedDate");
    QTest::addColumn<QString>("storedEtat");
    QTest::addRow("after a confirmed quit") << u"01/01/2020"_s << u"inactif"_s;
    QTest::addRow("after a stale actif") << u"01/01/2020"_s << u"actif"_s;
    QTest::addRow("date text that is no date") << u"pas une date"_s << u"inactif"_s;
}

void tst_StartupSettings::laterStartWritesOnlyEtat()
{
    QFETCH(QString, storedDate);
    QFETCH(QString, storedEtat);
    FakeSettingsStore store;
    store.values[u"tintel/parametres/date de debut"_s] = storedDate;
    store.values[u"tintel/parametres/dossier application"_s] = u"/ancien/dossier/"_s;
    store.values[u"tintel/parametres/etat"_s] = storedEtat;
    FakeProgramInfo program;
    program.folder = u"/nouveau/dossier"_s;

    runStartupSettings(store, program, QDate(2026, 12, 7));

    QCOMPARE(store.writes, QStringList{u"tintel/parametres/etat=actif"_s});
    QCOMPARE(store.values.value(u"tintel/parametres/date de debut"_s), storedDate);
    QCOMPARE(store.values.value(u"tintel/parametres/dossier application"_s), u"/ancien/dossier/"_s);
}

void tst_StartupSettings::emptyDateCountsAsFirstRun()
{
    FakeSettingsStore store;
    store.values[u"tintel/parametres/date de debut"_s] = QString();
    store.values[u"tintel/parametres/dossier application"_s] = u"/ancien/"_s;
    FakeProgramInfo program;
    runStartupSettings(store, program, QDate(2026, 12, 31));
    QCOMPARE(store.values.value(u"tintel/parametres/date de debut"_s), u"31/12/2026"_s);
    QCOMPARE(store.values.value(u"tintel/parametres/dossier application"_s), u"/opt/tintel/"_s);
    QCOMPARE(store.writes.size(), 3);
}

void tst_StartupSettings::renamedExecutableIsANewApplication()
{
    FakeSettingsStore store;
    FakeProgramInfo program;
    runStartupSettings(store, program, QDate(2026, 1, 2));
    const auto before = store.values;
    program.baseName = u"rappel"_s;
    runStartupSettings(store, program, QDate(2026, 2, 3));
    QCOMPARE(store.values.value(u"rappel/parametres/date de debut"_s), u"03/02/2026"_s);
    for (auto it = before.begin(); it != before.end(); ++it)
        QCOMPARE(store.values.value(it.key()), it.value());
}

void tst_StartupSettings::quitMarkWritesOnlyInactif()
{
    FakeSettingsStore store;
    FakeProgramInfo program;
    markQuit(store, program);
    QCOMPARE(store.writes, QStringList{u"tintel/parametres/etat=inactif"_s});
}

void tst_StartupSettings::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("expected");
    QTest::addRow("this release") << 1 << 0 << 0 << u"Version 1.0.0"_s;
    QTest::addRow("no leading zeros") << 2 << 3 << 15 << u"Version 2.3.15"_s;
}

void tst_StartupSettings::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, expected);
    QCOMPARE(tintel::versionText(major, minor, revision), expected);
}

QTEST_GUILESS_MAIN(tst_StartupSettings)
#include "tst_startupsettings.moc"
