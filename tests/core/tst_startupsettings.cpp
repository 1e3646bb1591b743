#include "core/startupsettings.h"
#include "tests/support/corefakes.h"
#include "tests/support/testtable.h"

#include <QTest>

using namespace tintel;
using namespace Qt::StringLiterals;
using namespace tintel::test;

namespace {

// "key=value" rows of the program's section, as the fake store addresses them.
QStringList inSection(const QStringList& rows)
{
    QStringList addressed;
    for (const QString& row : rows)
        addressed << u"tintel/parametres/"_s + row;
    return addressed;
}

} // namespace

class tst_StartupSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dossierApplication_data();
    void dossierApplication();
    void writes_data();
    void writes();
    void renamedExecutableIsANewApplication();
    void versionText_data();
    void versionText();
};

void tst_StartupSettings::dossierApplication_data()
{
    addColumns<QString, QChar, QString>({"folder", "separator", "expected"});
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
    const auto [folder, separator, expected] =
        fetchColumns<QString, QChar, QString>({"folder", "separator", "expected"});
    QCOMPARE(DossierApplication(folder, separator), expected);
}

void tst_StartupSettings::writes_data()
{
    addColumns<QStringList, bool, QDate, QStringList>({"stored", "quit", "today", "expected"});

    const QStringList firstRun{u"date de debut=05/03/2026"_s, u"dossier application=/opt/tintel/"_s,
                               u"etat=actif"_s};
    const QStringList earlier{u"date de debut=01/01/2020"_s,
                              u"dossier application=/ancien/dossier/"_s};
    const QStringList onlyActif{u"etat=actif"_s};

    QTest::addRow("first run writes three keys in order")
        << QStringList() << false << QDate(2026, 3, 5) << firstRun;
    QTest::addRow("empty date counts as first run")
        << QStringList{u"date de debut="_s, u"dossier application=/ancien/"_s} << false
        << QDate(2026, 12, 31)
        << QStringList{u"date de debut=31/12/2026"_s, u"dossier application=/opt/tintel/"_s,
                       u"etat=actif"_s};
    QTest::addRow("later start after a confirmed quit")
        << earlier + QStringList{u"etat=inactif"_s} << false << QDate(2026, 12, 7) << onlyActif;
    QTest::addRow("later start after a stale actif")
        << earlier + QStringList{u"etat=actif"_s} << false << QDate(2026, 12, 7) << onlyActif;
    QTest::addRow("later start with a date text that is no date")
        << QStringList{u"date de debut=pas une date"_s, u"dossier application=/ancien/dossier/"_s,
                       u"etat=inactif"_s}
        << false << QDate(2026, 12, 7) << onlyActif;
    QTest::addRow("quit mark writes only inactif")
        << QStringList() << true << QDate(2026, 12, 7) << QStringList{u"etat=inactif"_s};
}

// What each step writes, in order: a key it leaves alone keeps the stored value.
void tst_StartupSettings::writes()
{
    const auto [stored, quit, today, expected] =
        fetchColumns<QStringList, bool, QDate, QStringList>(
            {"stored", "quit", "today", "expected"});

    FakeSettingsStore store;
    for (const QString& row : inSection(stored))
        store.values[row.section(u'=', 0, 0)] = row.section(u'=', 1);
    FakeProgramInfo program;
    if (quit)
        markQuit(store, program);
    else
        runStartupSettings(store, program, today);
    QCOMPARE(store.writes, inSection(expected));
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

void tst_StartupSettings::versionText_data()
{
    addColumns<int, int, int, QString>({"major", "minor", "revision", "expected"});
    QTest::addRow("this release") << 1 << 0 << 0 << u"Version 1.0.0"_s;
    QTest::addRow("no leading zeros") << 2 << 3 << 15 << u"Version 2.3.15"_s;
}

void tst_StartupSettings::versionText()
{
    const auto [major, minor, revision, expected] =
        fetchColumns<int, int, int, QString>({"major", "minor", "revision", "expected"});
    QCOMPARE(tintel::versionText(major, minor, revision), expected);
}

QTEST_GUILESS_MAIN(tst_StartupSettings)
#include "tst_startupsettings.moc"
