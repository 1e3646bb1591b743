#include "core/xsettings.h"
#include "tests/support/testtable.h"

#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;
using namespace tintel;
using namespace tintel::test;

namespace {

struct Setting
{
    quint8 type; // 0 integer, 1 string, 2 colour
    QByteArray name;
    QByteArray value; // string bytes; ignored for the other types
};

QByteArray padded(QByteArray bytes)
{
    while (bytes.size() % 4)
        bytes.append('\0');
    return bytes;
}

// The property as a settings daemon writes it, in either byte order.
QByteArray blob(bool bigEndian, const QList<Setting>& settings, int count = -1)
{
    auto card = [bigEndian]<typename Card>(Card v) {
        QByteArray out(sizeof(Card), '\0');
        bigEndian ? qToBigEndian(v, out.data()) : qToLittleEndian(v, out.data());
        return out;
    };
    QByteArray out;
    out += QByteArray(1, bigEndian ? '\1' : '\0') + QByteArray(3, '\0');
    out += card(quint32(42));
    out += card(quint32(count < 0 ? settings.size() : count));
    for (const Setting& s : settings) {
        out += QByteArray(1, char(s.type)) + QByteArray(1, '\0') + card(quint16(s.name.size()));
        out += padded(s.name) + card(quint32(7));
        if (s.type == 0)
            out += card(quint32(1));
        else if (s.type == 1)
            out += card(quint32(s.value.size())) + padded(s.value);
        else
            out += QByteArray(8, '\x7f');
    }
    return out;
}

const QByteArray kTheme = QByteArrayLiteral("Net/SoundThemeName");
const Setting kBlink{0, "Net/CursorBlink", {}};
const Setting kColour{2, "Gtk/ColorScheme", {}};
const Setting kFont{1, "Gtk/FontName", "Cantarell 9"};

} // namespace

class TestXSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void themeName_data();
    void themeName();
};

void TestXSettings::themeName_data()
{
    addColumns<QByteArray, QString>({"data", "expected"});

    const Setting theme{1, kTheme, "Yaru"};
    QTest::addRow("alone, little endian") << blob(false, {theme}) << u"Yaru"_s;
    QTest::addRow("alone, big endian") << blob(true, {theme}) << u"Yaru"_s;
    QTest::addRow("after integer, colour and string")
        << blob(false, {kBlink, kColour, kFont, theme}) << u"Yaru"_s;
    QTest::addRow("big endian after the others")
        << blob(true, {kFont, kColour, kBlink, theme}) << u"Yaru"_s;
    for (const QByteArray& name : {"ab"_ba, "abc"_ba, "abcd"_ba, "abcde"_ba, "ocean-é"_ba})
        QTest::addRow("value of %d bytes", int(name.size()))
            << blob(false, {kFont, {1, kTheme, name}, kBlink}) << QString::fromUtf8(name);
    QTest::addRow("absent") << blob(false, {kBlink, kColour, kFont}) << QString();
    QTest::addRow("no settings") << blob(false, {}) << QString();
    QTest::addRow("same name as an integer") << blob(false, {{0, kTheme, {}}}) << QString();
    QTest::addRow("longer name") << blob(false, {{1, kTheme + "s", "Yaru"}}) << QString();
    QTest::addRow("shorter name") << blob(false, {{1, "Net/SoundTheme", "Yaru"}}) << QString();
    QTest::addRow("empty value") << blob(false, {{1, kTheme, {}}}) << QString();
    QTest::addRow("found before a short count tail") << blob(false, {theme}, 3) << u"Yaru"_s;
    QTest::addRow("cut inside the value") << blob(false, {theme}).chopped(5) << QString();
    QTest::addRow("cut inside the padding")
        << blob(false, {{1, kTheme, "abc"}}).chopped(1) << QString();
    QTest::addRow("cut in the header") << blob(false, {theme}).left(6) << QString();
    QTest::addRow("empty property") << QByteArray() << QString();
    QByteArray badOrder = blob(false, {theme});
    badOrder[0] = 'B';
    QTest::addRow("unknown byte order") << badOrder << QString();
    QTest::addRow("unknown type before it") << blob(false, {{5, "X/Y", {}}, theme}) << QString();
    QByteArray hugeLength = blob(false, {theme});
    hugeLength[12 + 4 + 20 + 4] = '\xff'; // the value length's top byte
    hugeLength[12 + 4 + 20 + 4 + 3] = '\x7f';
    QTest::addRow("value length past the end") << hugeLength << QString();
    // Written out byte by byte as a little-endian daemon sends it, independent of the builder.
    QTest::addRow("literal bytes") << QByteArray::fromHex("00000000"
                                                          "05000000"
                                                          "01000000"
                                                          "0100"
                                                          "1200"
                                                          "4e65742f536f756e645468656d654e616d65"
                                                          "0000"
                                                          "00000000"
                                                          "0b000000"
                                                          "667265656465736b746f7000")
                                   << u"freedesktop"_s;
}

void TestXSettings::themeName()
{
    const auto [data, expected] = fetchColumns<QByteArray, QString>({"data", "expected"});
    QCOMPARE(xsettingsString(data, kTheme), expected);
}

QTEST_GUILESS_MAIN(TestXSettings)
#include "tst_xsettings.moc"
