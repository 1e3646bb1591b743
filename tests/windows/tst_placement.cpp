#include "forms/forms.h"
#include "platform/screen.h"
#include "tests/support/testtable.h"

#include <QTest>

#include <cmath>

using namespace tintel;
using namespace tintel::test;

namespace {

// Where an offset in twips lands on a display of the given scale, to the device pixel, as the
// window manager places a window.
int devicePixel(double twips, double ratio)
{
    return roundHalfEven(pixelsFromTwips(QPointF(twips, 0)) * ratio).x();
}

// A size in device pixels in twips, as the screen and the window manager report it.
double twipsOf(int devicePixels, double ratio)
{
    return twipsFromPixels(QSizeF(devicePixels / ratio, 0)).width();
}

} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void centredOffset_data();
    void centredOffset();
    void writtenFormsAgree();
    void wholePixels_data();
    void wholePixels();
};

void TestPlacement::centredOffset_data()
{
    addColumns<double, int, int, int, int>(
        {"ratio", "screen", "window", "doublePixel", "singlePixel"});

    // Sizes in device pixels. At a whole scale both precisions agree, a half pixel going to the
    // even neighbour; at 1.25 twips carry the noise of the division, and each precision rounds
    // its own way at a half.
    QTest::addRow("even difference") << 1.0 << 1280 << 330 << 475 << 475;
    QTest::addRow("odd difference, half to even below") << 1.0 << 1280 << 331 << 474 << 474;
    QTest::addRow("odd difference, half to even above") << 1.0 << 1025 << 282 << 372 << 372;
    QTest::addRow("window wider than the screen") << 1.0 << 300 << 397 << -48 << -48;
    QTest::addRow("scale 2, odd sizes") << 2.0 << 2561 << 663 << 949 << 949;
    QTest::addRow("scale 1.25, double below the half") << 1.25 << 601 << 322 << 139 << 140;
    QTest::addRow("scale 1.25, double above the half") << 1.25 << 601 << 328 << 137 << 136;
}

void TestPlacement::centredOffset()
{
    const auto [ratio, screen, window, doublePixel, singlePixel] =
        fetchColumns<double, int, int, int, int>(
            {"ratio", "screen", "window", "doublePixel", "singlePixel"});

    const double s = twipsOf(screen, ratio);
    const double w = twipsOf(window, ratio);
    QCOMPARE(devicePixel(tintel::centredOffset(s, w), ratio), doublePixel);
    QCOMPARE(devicePixel(tintel::centredOffset(float(s), float(w)), ratio), singlePixel);
}

void TestPlacement::writtenFormsAgree()
{
    // Some windows write the centre as half the screen less half the window, others as half the
    // difference; halving is exact in either precision, so both give the same bits everywhere.
    for (const double ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 100.0 / 96.0}) {
        for (int screen = 600; screen <= 2000; screen += 7) {
            for (int window = 51; window <= 900; window += 13) {
                const double s = twipsOf(screen, ratio);
                const double w = twipsOf(window, ratio);
                const float sf = float(s);
                const float wf = float(w);
                const QByteArray where = QByteArray::number(ratio) + ' ' +
                                         QByteArray::number(screen) + ' ' +
                                         QByteArray::number(window);
                QVERIFY2(tintel::centredOffset(s, w) == s / 2.0 - w / 2.0, where);
                QVERIFY2(tintel::centredOffset(sf, wf) == sf / 2.0f - wf / 2.0f, where);
            }
        }
    }
}

void TestPlacement::wholePixels_data()
{
    addColumns<int, int, int>({"screen", "window", "offset"});

    // The splash drops the half pixel, toward zero, where twips would round it to even.
    QTest::addRow("even difference") << 1280 << 282 << 499;
    QTest::addRow("odd difference, half dropped where even is above") << 1025 << 282 << 371;
    QTest::addRow("odd difference, half dropped where even is below") << 1027 << 282 << 372;
    QTest::addRow("screen smaller than the splash") << 200 << 283 << -41;
}

void TestPlacement::wholePixels()
{
    const auto [screen, window, offset] =
        fetchColumns<int, int, int>({"screen", "window", "offset"});
    QCOMPARE(tintel::centredOffset(screen, window), offset);
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "tst_placement.moc"
