#include "platform/inisettingsstore.h"
#include "tests/support/logcapture.h"
#include "tests/support/testtable.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tintel;
using namespace tintel::test;
using namespace Qt::StringLiterals;

namespace {

const QString app = u"tintel"_s;
const QString section = u"parametres"_s;

// Python's configparser stands for the other INI readers and writers; '%' is no interpolation
// to them. One process answers the whole test, a request a line: a start takes seconds on a busy
// machine.
const char* const pythonPeer = R"(
import configparser, json, sys
for request in sys.stdin.buffer:
    path, section, key, *value = json.loads(request)
    ini = configparser.ConfigParser(interpolation=None)
    try:
        ini.read(path, encoding="utf-8")
        answer = ""
        if value:
            if not ini.has_section(section):
                ini.add_section(section)
            ini.set(section, key, value[0])
            with open(path, "w", encoding="utf-8") as out:
                ini.write(out)
        else:
            answer = ini.get(section, key)
    except Exception as error:
        answer = "<python failed: %r>" % error
    print(json.dumps([answer]), flush=True)
)";

class IniPeer
{
public:
    IniPeer() { m_process.start(u"python3"_s, {u"-c"_s, QString::fromUtf8(pythonPeer)}); }
    ~IniPeer()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished();
    }
    QString read(const QString& path, const QString& key) { return ask({path, section, key}); }
    // An empty text once written.
    QString write(const QString& path, const QString& key, const QString& value)
    {
        return ask({path, section, key, value});
    }

private:
    QString ask(const QStringList& request)
    {
        m_process.write(
            QJsonDocument(QJsonArray::fromStringList(request)).toJson(QJsonDocument::Compact) +
            '\n');
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(60000))
                return u"<python failed: "_s + QString::fromUtf8(m_process.readAllStandardError()) +
                       u'>';
        }
        return QJsonDocument::fromJson(m_process.readLine()).array().at(0).toString();
    }

    QProcess m_process;
};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void valueReadsBackAsWritten_data();
    void valueReadsBackAsWritten();
    void valueWrittenByAnotherReaderReadsBack_data();
    void valueWrittenByAnotherReaderReadsBack();
    void lineBreakKeepsTheFileReadable();
    void whatOthersPutInTheFileIsKept();
    void earlierBuildsFileIsUnderstood_data();
    void earlierBuildsFileIsUnderstood();
    void plainKeyWinsOverTheEscapedOne();
    void writeReplacesTheFileWhole();
    void fileAsFoundIsWrittenOrLeftAlone_data();
    void fileAsFoundIsWrittenOrLeftAlone();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    IniPeer m_peer;
};

void tst_SettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_dir->filePath(u"config"_s).toLocal8Bit());
    m_path = IniSettingsStore::filePath(app);
}

void tst_SettingsStore::valueReadsBackAsWritten_data()
{
    // Earlier builds read the file with QSettings, which takes only the plainer values as they
    // stand.
    addColumns<QString, QString, bool>({"key", "value", "qtReads"});
    QTest::addRow("date") << u"date de debut"_s << u"07/12/2026"_s << true;
    QTest::addRow("comma not a list") << u"date de debut"_s << u"7 déc., 2026"_s << false;
    QTest::addRow("quotes kept") << u"date de debut"_s << u"\"le 7\" 'déc'"_s << false;
    QTest::addRow("semicolon not a comment") << u"etat"_s << u"actif; vu"_s << false;
    QTest::addRow("backslashes not escapes")
        << u"dossier application"_s << u"C:\\Outils\\n\\"_s << false;
    QTest::addRow("accents") << u"dossier application"_s << u"/opt/Été/àçœ/"_s << true;
    QTest::addRow("equals, hash, percent") << u"etat"_s << u"a=b #1 100%"_s << true;
    QTest::addRow("empty") << u"date de debut"_s << QString() << true;
}

// Each application has its own file, the same key in another kept apart.
void tst_SettingsStore::valueReadsBackAsWritten()
{
    const auto [key, value, qtReads] =
        fetchColumns<QString, QString, bool>({"key", "value", "qtReads"});
    IniSettingsStore store;
    QCOMPARE(store.read(app, section, key, u"absent"_s), u"absent"_s);
    store.write(u"rappel"_s, section, key, u"autre"_s);
    store.write(app, section, key, value);
    QCOMPARE(store.read(app, section, key, u"absent"_s), value);
    QCOMPARE(store.read(u"rappel"_s, section, key, u"absent"_s), u"autre"_s);
    QCOMPARE(m_path, m_dir->filePath(u"config/tintel.ini"_s));
    QVERIFY(QFile::exists(m_dir->filePath(u"config/rappel.ini"_s)));
    QVERIFY2(contents(m_path).split('\n').contains((key + u'=' + value).toUtf8()),
             contents(m_path).constData());
    // Read by another process at once: the value is on disk when the write returns.
    QCOMPARE(m_peer.read(m_path, key), value);
    if (qtReads)
        QCOMPARE(QSettings(m_path, QSettings::IniFormat).value(section + u'/' + key).toString(),
                 value);
}

void tst_SettingsStore::valueWrittenByAnotherReaderReadsBack_data()
{
    valueReadsBackAsWritten_data();
}

void tst_SettingsStore::valueWrittenByAnotherReaderReadsBack()
{
    const auto [key, value] = fetchColumns<QString, QString>({"key", "value"});
    QDir().mkpath(QFileInfo(m_path).path());
    QCOMPARE(m_peer.write(m_path, key, value), QString());
    QCOMPARE(IniSettingsStore().read(app, section, key, u"absent"_s), value);
}

void tst_SettingsStore::lineBreakKeepsTheFileReadable()
{
    IniSettingsStore store;
    store.write(app, section, u"dossier application"_s, u"/opt/a\nb/"_s);
    store.write(app, section, u"etat"_s, u"actif"_s);
    QCOMPARE(store.read(app, section, u"etat"_s, {}), u"actif"_s);
    QCOMPARE(store.read(app, section, u"dossier application"_s, {}), u"/opt/a\\nb/"_s);
    QCOMPARE(m_peer.read(m_path, u"etat"_s), u"actif"_s);
}

void tst_SettingsStore::whatOthersPutInTheFileIsKept()
{
    const QByteArray before = "# Réglages de Tintel\n"
                              "[parametres]\n"
                              "; mis à la main\n"
                              "date de debut=07/12/2026\n"
                              "couleur=rouge, vert\n"
                              "\n"
                              "[autre]\n"
                              "  # une note\n"
                              "#; pas une clé\n"
                              "clé=valeur\n";
    put(m_path, before);
    IniSettingsStore store;
    store.write(app, section, u"etat"_s, u"actif"_s);
    const QList<QByteArray> lines = contents(m_path).split('\n');
    for (const QByteArray& line : before.split('\n'))
        QVERIFY2(lines.contains(line), line.constData());
    QCOMPARE(store.read(app, u"autre"_s, u"clé"_s, {}), u"valeur"_s);
    QCOMPARE(m_peer.read(m_path, u"couleur"_s), u"rouge, vert"_s);
    QCOMPARE(m_peer.read(m_path, u"etat"_s), u"actif"_s);
    // Writing again changes nothing: the file does not grow a line at each start.
    const QByteArray once = contents(m_path);
    store.write(app, section, u"etat"_s, u"actif"_s);
    QCOMPARE(contents(m_path), once);
}

void tst_SettingsStore::earlierBuildsFileIsUnderstood_data()
{
    addColumns<QByteArray, QString, QString>({"line", "key", "value"});
    QTest::addRow("first-run date")
        << "date%20de%20debut=07/12/2026"_ba << u"date de debut"_s << u"07/12/2026"_s;
    QTest::addRow("quoted by QSettings") << "date%20de%20debut=\"7 d\xc3\xa9"
                                            "c., 2026\""_ba
                                         << u"date de debut"_s << u"7 déc., 2026"_s;
    QTest::addRow("comma typed by hand") << "date%20de%20debut=7 d\xc3\xa9"
                                            "c., 2026"_ba
                                         << u"date de debut"_s << u"7 déc., 2026"_s;
    QTest::addRow("semicolon typed by hand")
        << "date%20de%20debut=pas;une date"_ba << u"date de debut"_s << u"pas;une date"_s;
    QTest::addRow("backslashes escaped by QSettings")
        << "dossier%20application=C:\\\\Outils\\\\"_ba << u"dossier application"_s
        << u"C:\\Outils\\"_s;
}

void tst_SettingsStore::earlierBuildsFileIsUnderstood()
{
    const auto [line, key, value] =
        fetchColumns<QByteArray, QString, QString>({"line", "key", "value"});
    put(m_path, "[parametres]\n" + line + "\netat=inactif\n");
    IniSettingsStore store;
    QCOMPARE(store.read(app, section, key, u"absent"_s), value);
    // The next write leaves the key under its plain name only.
    store.write(app, section, u"etat"_s, u"actif"_s);
    QCOMPARE(store.read(app, section, key, u"absent"_s), value);
    QVERIFY2(!contents(m_path).contains('%'), contents(m_path).constData());
    QCOMPARE(m_peer.read(m_path, key), value);
    QCOMPARE(store.read(app, section, u"etat"_s, {}), u"actif"_s);
}

void tst_SettingsStore::plainKeyWinsOverTheEscapedOne()
{
    put(m_path, "[parametres]\ndate%20de%20debut=01/01/2020\ndate de debut=07/12/2026\n");
    IniSettingsStore store;
    QCOMPARE(store.read(app, section, u"date de debut"_s, {}), u"07/12/2026"_s);
    store.write(app, section, u"etat"_s, u"actif"_s);
    QCOMPARE(contents(m_path), "[parametres]\ndate de debut=07/12/2026\netat=actif\n"_ba);
}

void tst_SettingsStore::writeReplacesTheFileWhole()
{
    // A file rewritten in place could be left half written; a new file renamed over it cannot.
    put(m_path, "[parametres]\netat=actif\n");
    QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner));
    struct stat before
    {};
    QCOMPARE(stat(QFile::encodeName(m_path).constData(), &before), 0);
    IniSettingsStore().write(app, section, u"etat"_s, u"inactif"_s);
    struct stat after
    {};
    QCOMPARE(stat(QFile::encodeName(m_path).constData(), &after), 0);
    QVERIFY(after.st_ino != before.st_ino);
    QCOMPARE(after.st_mode & 0777, 0600u);
    QCOMPARE(QDir(QFileInfo(m_path).path()).entryList(QDir::Files), QStringList{u"tintel.ini"_s});

    // A settings file kept as a link among one's dotfiles stays a link.
    const QString target = m_dir->filePath(u"dotfiles/tintel.ini"_s);
    put(target, "[parametres]\n");
    QVERIFY(QFile::remove(m_path));
    QVERIFY(QFile::link(target, m_path));
    IniSettingsStore().write(app, section, u"etat"_s, u"actif"_s);
    QVERIFY(QFileInfo(m_path).isSymLink());
    QCOMPARE(contents(target), "[parametres]\netat=actif\n"_ba);
}

void tst_SettingsStore::fileAsFoundIsWrittenOrLeftAlone_data()
{
    addColumns<QString, QByteArray, QString, QString, QByteArray>(
        {"place", "before", "rules", "logged", "after"});
    const QString all = u"tintel.*=true"_s;
    const QByteArray none, bom = "\xef\xbb\xbf", written = "[parametres]\netat=actif\n";
    const QByteArray keyFirst = "etat=inactif\n[parametres]\n";
    const QByteArray garbage = QByteArray("\xff\xfe[[[parametres\0\x01=\n=\n[", 18) + "du texte\n" +
                               QByteArray(4096, '\x80');
    QTest::addRow("folder cannot be made")
        << u"blocked"_s << none << all << u"settings not saved to"_s << none;
    QTest::addRow("file not INI") << u"file"_s << garbage << all << u"cannot be read as INI"_s
                                  << garbage;
    QTest::addRow("silent by default") << u"blocked"_s << none << QString() << QString() << none;
    QTest::addRow("a write that works logs nothing")
        << u"file"_s << none << all << QString() << written;
    QTest::addRow("byte order mark kept") << u"file"_s << bom + "[parametres]\n"
                                          << all << QString() << bom + written;
    QTest::addRow("Windows line ends kept")
        << u"file"_s << "[parametres]\r\n; note\r\n"_ba << all << QString()
        << "[parametres]\r\n; note\r\netat=actif\r\n"_ba;
    QTest::addRow("link to a file not yet made")
        << u"link"_s << none << all << QString() << written;
    QTest::addRow("folder named in Latin-1") << u"latin1"_s << none << all << QString() << written;
    QTest::addRow("key before the first section")
        << u"file"_s << keyFirst << all << u"a key stands before the first section"_s << keyFirst;
    QTest::addRow("named pipe") << u"fifo"_s << none << all << u"not a regular file"_s << none;
    const QByteArray large = "[parametres]\n; " + QByteArray(64 * 1024, 'x') + "\n";
    QTest::addRow("larger than a settings file")
        << u"file"_s << large << all << u"larger than a settings file"_s << large;
}

void tst_SettingsStore::fileAsFoundIsWrittenOrLeftAlone()
{
    const auto [place, before, rules, logged, after] =
        fetchColumns<QString, QByteArray, QString, QString, QByteArray>(
            {"place", "before", "rules", "logged", "after"});
    // A configuration folder that is a file stops even root, unlike permissions.
    QString target = m_path;
    QDir().mkpath(QFileInfo(m_path).path());
    // Qt cannot remove a name that is not UTF-8 with the rest of the folder.
    const QByteArray latin1 = QFile::encodeName(m_dir->path()) + "/caf\xe9";
    const auto removed = qScopeGuard([&] { unlink(latin1.constData()); });
    if (place == u"blocked"_s) {
        const QString blocker = m_dir->filePath(u"blocker"_s);
        put(blocker, "not a folder\n");
        qputenv("XDG_CONFIG_HOME", blocker.toLocal8Bit());
        m_path = target = IniSettingsStore::filePath(app);
    } else if (place == u"link"_s) {
        target = m_dir->filePath(u"dotfiles/tintel.ini"_s);
        QVERIFY(QFile::link(target, m_path));
    } else if (place == u"latin1"_s) {
        // An old home folder's name, not UTF-8, leading here to a folder Qt can name.
        QCOMPARE(symlink("config", latin1.constData()), 0);
        qputenv("XDG_CONFIG_HOME", latin1);
    } else if (place == u"fifo"_s) {
        QCOMPARE(mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    } else if (!before.isNull()) {
        put(m_path, before);
    }
    test::LogCapture log(rules);
    IniSettingsStore store;
    QCOMPARE(store.read(app, section, u"etat"_s, u"absent"_s), u"absent"_s);
    store.write(app, section, u"etat"_s, u"actif"_s);
    const QStringList lines = log.lines();
    if (logged.isEmpty()) {
        QVERIFY2(lines.isEmpty(), qPrintable(lines.join(u'\n')));
    } else {
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(u"tintel.platform: "_s), qPrintable(lines[0]));
        QVERIFY2(lines[0].contains(logged), qPrintable(lines[0]));
    }
    QCOMPARE(store.read(app, section, u"etat"_s, u"absent"_s),
             after.contains("etat=actif") ? u"actif"_s : u"absent"_s);
    // A pipe is never opened here either: with no writer, that would block.
    if (place == u"fifo"_s)
        QVERIFY(!QFileInfo(m_path).isFile() && QFileInfo(m_path).exists());
    else
        QCOMPARE(contents(target), after);
}

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
