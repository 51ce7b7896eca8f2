// The EE data listing byte for byte: the worked lines, the masks at their
// edges, the reference text copied as typed, and the order of the words.
#include <QtTest>

#include "ee_listing.h"
#include "worked_listings.h"

using namespace vantrel;

namespace {

QByteArray bytes(const std::string& text) { return QByteArray::fromStdString(text); }

// The first worked set: 10 MHz reference, 2320.5 MHz, 2500 Hz.
PlanValues workedPlan()
{
    PlanValues p;
    p.r = 1;
    p.n = 232;
    p.denom = 4000;
    p.fract = 200;
    p.outDiv = 1;
    p.fout = 2320.5;
    p.registers = {0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};
    return p;
}

} // namespace

class TestEeListing : public QObject {
    Q_OBJECT
private slots:
    void eeLine_data();
    void eeLine();
    void commentLines_data();
    void commentLines();
    void wholeListing();
};

void TestEeListing::eeLine_data()
{
    QTest::addColumn<quint32>("word");
    QTest::addColumn<QByteArray>("expected");
    QTest::addRow("fixed Reg5") << 0x00580005u << QByteArray("   de 0x00, 0x58, 0x00, 0x05    ;Reg 5");
    QTest::addRow("most significant byte first") << 0x0800FD01u << QByteArray("   de 0x08, 0x00, 0xFD, 0x01    ;Reg 1");
    QTest::addRow("upper-case digits, zero word") << 0x0000000Au << QByteArray("   de 0x00, 0x00, 0x00, 0x0A    ;Reg 2");
    // The label comes from the word's own low bits, whatever register it was meant to be.
    QTest::addRow("label from the low three bits") << 0xFFFFFFFFu << QByteArray("   de 0xFF, 0xFF, 0xFF, 0xFF    ;Reg 7");
}

void TestEeListing::eeLine()
{
    QFETCH(quint32, word);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytes(eeHexData(word)), expected);
}

void TestEeListing::commentLines_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<double>("n");
    QTest::addColumn<double>("denom");
    QTest::addColumn<double>("fract");
    QTest::addColumn<double>("outDiv");
    QTest::addColumn<double>("fout");
    QTest::addColumn<QByteArray>("frText");
    QTest::addColumn<QByteArray>("line1");
    QTest::addColumn<QByteArray>("line2");

    QTest::addRow("worked example") << 1.0 << 232.0 << 4000.0 << 200.0 << 1.0 << 2320.5 << QByteArray("10")
        << QByteArray(";  R = 1    N = 232    D =  4000   F = 0200    Odiv = 1")
        << QByteArray(";  Fout = 2320.5MHz      Ref = 10MHz");
    QTest::addRow("small D and F padded, integral Fout keeps one decimal")
        << 1.0 << 3.0 << 7.0 << 0.0 << 64.0 << 35.0 << QByteArray("25")
        << QByteArray(";  R = 1    N = 3    D =  0007   F = 0000    Odiv = 64")
        << QByteArray(";  Fout = 35.0MHz      Ref = 25MHz");
    QTest::addRow("largest fields are not cut") << 1023.0 << 65535.0 << 4095.0 << 4095.0 << 64.0 << 4400.0
        << QByteArray("10") << QByteArray(";  R = 1023    N = 65535    D =  4095   F = 4095    Odiv = 64")
        << QByteArray(";  Fout = 4400.0MHz      Ref = 10MHz");
    QTest::addRow("Fout rounded to seven decimals") << 2.0 << 640.0 << 781.0 << 125.0 << 64.0 << 145.123456789
        << QByteArray("10") << QByteArray(";  R = 2    N = 640    D =  0781   F = 0125    Odiv = 64")
        << QByteArray(";  Fout = 145.1234568MHz      Ref = 10MHz");
    // The reference is what the user typed, not the computed Fr.
    QTest::addRow("reference digits kept as typed") << 1.0 << 232.0 << 4000.0 << 200.0 << 1.0 << 2320.5
        << QByteArray("10.000") << QByteArray(";  R = 1    N = 232    D =  4000   F = 0200    Odiv = 1")
        << QByteArray(";  Fout = 2320.5MHz      Ref = 10.000MHz");
    QTest::addRow("reference with a non-ASCII byte and blanks") << 1.0 << 232.0 << 4000.0 << 200.0 << 1.0 << 2320.5
        << QByteArray(" 10 \xB5x") << QByteArray(";  R = 1    N = 232    D =  4000   F = 0200    Odiv = 1")
        << QByteArray(";  Fout = 2320.5MHz      Ref =  10 \xB5xMHz");
}

void TestEeListing::commentLines()
{
    QFETCH(double, r);
    QFETCH(double, n);
    QFETCH(double, denom);
    QFETCH(double, fract);
    QFETCH(double, outDiv);
    QFETCH(double, fout);
    QFETCH(QByteArray, frText);
    QFETCH(QByteArray, line1);
    QFETCH(QByteArray, line2);
    PlanValues p = workedPlan();
    p.r = r;
    p.n = n;
    p.denom = denom;
    p.fract = fract;
    p.outDiv = outDiv;
    p.fout = fout;
    const QByteArray listing = bytes(eeDataListing(p, frText.toStdString()));
    const QList<QByteArray> lines = listing.split('\n');
    QVERIFY(lines.size() > 2);
    QCOMPARE(lines[0], line1 + '\r');
    QCOMPARE(lines[1], line2 + '\r');
}

void TestEeListing::wholeListing()
{
    // Reg5 first, Reg0 last, and CR LF after every line including the last.
    const QByteArray expected = QByteArray::fromStdString(std::string(worked::kFirstEeListing));
    QCOMPARE(bytes(eeDataListing(workedPlan(), "10")), expected);
}

QTEST_APPLESS_MAIN(TestEeListing)
#include "tst_ee_listing.moc"
