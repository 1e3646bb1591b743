#include "core/failure.h"
#include "core/sysinfo.h"
#include "tests/support/corefakes.h"
#include "tests/support/testtable.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;
using namespace tintel;
using namespace tintel::test;

namespace {

const QByteArray kKey = QByteArrayLiteral("SOFTWARE\\Tintel\\Essai");

// A buffer as the lookup hands it to the registry: 1024 bytes of 0, then the data written.
QByteArray filledBuffer(const QByteArray& data)
{
    QByteArray buffer(1024, '\0');
    buffer.replace(0, data.size(), data);
    return buffer;
}

QString openCall(const QByteArray& path)
{
    return u"open 80000002 %1 0 20019"_s.arg(QString::fromLatin1(path));
}

using OptionalValue = std::optional<FakeRegistry::Value>;

// A value the registry holds, of that type.
OptionalValue stored(quint32 type, const QByteArray& data)
{
    return FakeRegistry::Value{type, data};
}

} // namespace

Q_DECLARE_METATYPE(OptionalValue)

class TestSysInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodeRegistryText_data();
    void decodeRegistryText();
    void getKeyValue_data();
    void getKeyValue();
    void getKeyValueClosesTheKeyOnAFailure();
    void findSysInfoProgram_data();
    void findSysInfoProgram();
};

void TestSysInfo::decodeRegistryText_data()
{
    addColumns<QByteArray, quint32, QString>({"buffer", "length", "expected"});

    QTest::addRow("terminating zero dropped")
        << filledBuffer(QByteArrayLiteral("C:\\MSINFO\0")) << 10u << u"C:\\MSINFO"_s;
    QTest::addRow("no terminating zero keeps the last char")
        << filledBuffer(QByteArrayLiteral("C:\\MSINFO")) << 9u << u"C:\\MSINFO"_s;
    QTest::addRow("length 0 is empty") << filledBuffer({}) << 0u << QString();
    QTest::addRow("length 0 of an empty buffer is empty") << QByteArray() << 0u << QString();
    QTest::addRow("length 1 zero byte is empty") << filledBuffer({}) << 1u << QString();
    QTest::addRow("length 1 char") << filledBuffer(QByteArrayLiteral("C")) << 1u << u"C"_s;
    QTest::addRow("non-ASCII byte is one char")
        << filledBuffer(QByteArrayLiteral("Donn\xE9\x65s\0")) << 8u << u"Données"_s;
    QTest::addRow("inner zero kept")
        << filledBuffer(QByteArrayLiteral("a\0b\0")) << 4u << QString(u"a\0b"_s);
    QTest::addRow("bytes past the length ignored")
        << filledBuffer(QByteArrayLiteral("abcdef")) << 3u << u"abc"_s;
    QTest::addRow("full buffer without zero")
        << QByteArray(1024, 'x') << 1024u << QString(1024, u'x');
    QTest::addRow("length past the buffer stops at its end")
        << QByteArrayLiteral("ab") << 5u << u"ab"_s;
}

void TestSysInfo::decodeRegistryText()
{
    const auto [buffer, length, expected] =
        fetchColumns<QByteArray, quint32, QString>({"buffer", "length", "expected"});

    const QString text = tintel::decodeRegistryText(buffer, length);
    QCOMPARE(text, expected);
    QCOMPARE(text.size(), expected.size());
}

void TestSysInfo::getKeyValue_data()
{
    addColumns<bool, OptionalValue, bool, QString>(
        {"keyExists", "value", "expectedAnswer", "expectedKeyVal"});

    const QString passed = u"avant"_s;

    QTest::addRow("missing key") << false << OptionalValue() << false << QString();
    QTest::addRow("missing value") << true << OptionalValue() << false << QString();
    QTest::addRow("value over 1024 bytes")
        << true << stored(Registry::kRegSz, QByteArray(1025, 'x')) << false << QString();
    QTest::addRow("value of exactly 1024 bytes")
        << true << stored(Registry::kRegSz, QByteArray(1024, 'x')) << true << QString(1024, u'x');
    QTest::addRow("string") << true << stored(Registry::kRegSz, QByteArrayLiteral("C:\\Outils\0"))
                            << true << u"C:\\Outils"_s;
    QTest::addRow("string without terminating zero")
        << true << stored(Registry::kRegSz, QByteArrayLiteral("C:\\Outils")) << true
        << u"C:\\Outils"_s;
    QTest::addRow("empty string value")
        << true << stored(Registry::kRegSz, QByteArrayLiteral("\0")) << true << QString();
    QTest::addRow("string of length 0")
        << true << stored(Registry::kRegSz, {}) << true << QString();
    QTest::addRow("number, one low byte")
        << true << stored(Registry::kRegDword, QByteArrayLiteral("\x2A\0\0\0")) << true << u"42"_s;
    QTest::addRow("number, every byte")
        << true << stored(Registry::kRegDword, QByteArrayLiteral("\x78\x56\x34\x12")) << true
        << u"305419896"_s;
    QTest::addRow("number, inner zero byte")
        << true << stored(Registry::kRegDword, QByteArrayLiteral("\x05\0\x10\0")) << true
        << u"1048581"_s;
    QTest::addRow("number above 2^31 is unsigned")
        << true << stored(Registry::kRegDword, QByteArrayLiteral("\xFF\xFF\xFF\xFF")) << true
        << u"4294967295"_s;
    QTest::addRow("number zero") << true
                                 << stored(Registry::kRegDword, QByteArrayLiteral("\0\0\0\0"))
                                 << true << u"0"_s;
    QTest::addRow("number of length 0")
        << true << stored(Registry::kRegDword, {}) << true << QString();
    QTest::addRow("expandable string leaves the text")
        << true << stored(Registry::kRegExpandSz, QByteArrayLiteral("%SystemRoot%\0")) << true
        << passed;
    QTest::addRow("binary leaves the text")
        << true << stored(Registry::kRegBinary, QByteArrayLiteral("\x01\x02")) << true << passed;
}

void TestSysInfo::getKeyValue()
{
    const auto [keyExists, value, expectedAnswer, expectedKeyVal] =
        fetchColumns<bool, OptionalValue, bool, QString>(
            {"keyExists", "value", "expectedAnswer", "expectedKeyVal"});

    FakeRegistry registry;
    if (keyExists)
        registry.keys[kKey][QByteArrayLiteral("Autre")] = {Registry::kRegSz,
                                                           QByteArrayLiteral("autre\0")};
    if (value)
        registry.keys[kKey][QByteArrayLiteral("Nom")] = *value;

    QString keyVal = u"avant"_s;
    const bool answer = GetKeyValue(registry, Registry::kHkeyLocalMachine,
                                    QString::fromLatin1(kKey), u"Nom"_s, keyVal);

    QCOMPARE(answer, expectedAnswer);
    QCOMPARE(keyVal, expectedKeyVal);
    QCOMPARE(registry.openKeys, 0);
    const QStringList expectedCalls = keyExists
                                          ? QStringList{openCall(kKey), u"query Nom"_s, u"close"_s}
                                          : QStringList{openCall(kKey)};
    QCOMPARE(registry.calls, expectedCalls);
}

void TestSysInfo::getKeyValueClosesTheKeyOnAFailure()
{
    FakeRegistry registry;
    registry.keys[kKey][QByteArrayLiteral("Nom")] = {Registry::kRegSz, QByteArrayLiteral("x\0")};
    registry.failIn = FakeRegistry::FailIn::Query;
    QString keyVal = u"avant"_s;
    QVERIFY_THROWS_EXCEPTION(RuntimeFailure,
                             GetKeyValue(registry, Registry::kHkeyLocalMachine,
                                         QString::fromLatin1(kKey), u"Nom"_s, keyVal));
    QCOMPARE(registry.calls, (QStringList{openCall(kKey), u"query Nom"_s, u"close"_s}));
    QCOMPARE(registry.openKeys, 0);
}

void TestSysInfo::findSysInfoProgram_data()
{
    addColumns<OptionalValue, OptionalValue, QStringList, bool, QString, QStringList>(
        {"first", "second", "normalFiles", "found", "expectedPath", "expectedCalls"});

    const QStringList firstCalls{openCall(kSysInfoProgramKey), u"query PATH"_s, u"close"_s};
    const QStringList firstMissing{openCall(kSysInfoProgramKey)};
    const QStringList secondCalls{openCall(kSysInfoFolderKey), u"query MSINFO"_s, u"close"_s};
    const QStringList secondMissing{openCall(kSysInfoFolderKey)};

    QTest::addRow("first lookup answers, no file test and no second lookup")
        << stored(Registry::kRegSz, QByteArrayLiteral("C:\\Absent\\msinfo32.exe\0"))
        << stored(Registry::kRegSz, QByteArrayLiteral("C:\\Info\0"))
        << QStringList{u"C:\\Info\\MSINFO32.EXE"_s} << true << u"C:\\Absent\\msinfo32.exe"_s
        << firstCalls;
    QTest::addRow("first lookup of another type answers an empty path")
        << stored(Registry::kRegExpandSz, QByteArrayLiteral("%ProgramFiles%\\msinfo32.exe\0"))
        << OptionalValue() << QStringList() << true << QString() << firstCalls;
    QTest::addRow("second lookup with the file")
        << OptionalValue() << stored(Registry::kRegSz, QByteArrayLiteral("C:\\Info\0"))
        << QStringList{u"C:\\Info\\MSINFO32.EXE"_s} << true << u"C:\\Info\\MSINFO32.EXE"_s
        << firstMissing + secondCalls;
    QTest::addRow("second lookup without the file")
        << OptionalValue() << stored(Registry::kRegSz, QByteArrayLiteral("C:\\Info\0"))
        << QStringList{u"C:\\Info\\msinfo32.exe"_s, u"C:\\InfoMSINFO32.EXE"_s} << false << QString()
        << firstMissing + secondCalls;
    QTest::addRow("second lookup folder ending with a separator")
        << OptionalValue() << stored(Registry::kRegSz, QByteArrayLiteral("F\\\0"))
        << QStringList{u"F\\\\MSINFO32.EXE"_s, u"F\\MSINFO32.EXE"_s} << true
        << u"F\\\\MSINFO32.EXE"_s << firstMissing + secondCalls;
    QTest::addRow("both lookups missing")
        << OptionalValue() << OptionalValue() << QStringList{u"\\MSINFO32.EXE"_s} << false
        << QString() << firstMissing + secondMissing;
}

void TestSysInfo::findSysInfoProgram()
{
    const auto [first, second, normalFiles, found, expectedPath, expectedCalls] =
        fetchColumns<OptionalValue, OptionalValue, QStringList, bool, QString, QStringList>(
            {"first", "second", "normalFiles", "found", "expectedPath", "expectedCalls"});

    FakeRegistry registry;
    registry.setSysInfoValues(first, second);
    FakeFiles files;
    for (const QString& file : normalFiles)
        files.normalFiles.insert(file);

    const std::optional<QString> program = tintel::findSysInfoProgram(registry, files);
    QCOMPARE(program.has_value(), found);
    if (found)
        QCOMPARE(*program, expectedPath);
    QCOMPARE(registry.calls, expectedCalls);
    QCOMPARE(registry.openKeys, 0);
}

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
