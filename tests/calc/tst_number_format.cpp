// The number forms at their edges: ties, zeros after the point, large
// values, negative zero, the exponent form.
#include <QtTest>

#include <cmath>
#include <limits>

#include "number_format.h"
#include "number_reader.h"

class TestNumberFormat : public QObject {
    Q_OBJECT
private slots:
    void general_data();
    void general();
    void plainDropsTheBlank();
    void generalReadsBack();
    void mask_data();
    void mask();
    void shown_data();
    void shown();
};

void TestNumberFormat::general_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::addRow("fraction") << 2320.5 << " 2320.5";
    QTest::addRow("whole number has no point") << 4641.0 << " 4641";
    QTest::addRow("tracked output") << 4641.0 / 4 << " 1160.25";
    QTest::addRow("zero") << 0.0 << " 0";
    QTest::addRow("negative zero shows as zero") << -0.0 << " 0";
    QTest::addRow("negative") << -500000.0 << "-500000";
    QTest::addRow("below one keeps its zero") << 0.5 << " 0.5";
    QTest::addRow("fifteen significant digits") << 10000000.0 / 3 << " 3333333.33333333";
    QTest::addRow("rounded at the fifteenth digit") << 2.0 / 3 << " 0.666666666666667";
    QTest::addRow("binary noise disappears") << 0.1 + 0.2 << " 0.3";
    QTest::addRow("largest fixed") << 999999999999999.0 << " 999999999999999";
    QTest::addRow("exponent form from 1e15") << 1e15 << " 1E+15";
    QTest::addRow("exponent form with digits") << 1.25e20 << " 1.25E+20";
    QTest::addRow("smallest fixed") << 0.00001 << " 0.00001";
    QTest::addRow("exponent form below 1e-5") << 0.0000015 << " 1.5E-06";
    QTest::addRow("infinity") << std::numeric_limits<double>::infinity() << " Infinity";
}

void TestNumberFormat::general()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(vantrel::generalNumber(value)), expected);
}

void TestNumberFormat::plainDropsTheBlank()
{
    QCOMPARE(vantrel::plainNumber(2500), std::string("2500"));
    QCOMPARE(vantrel::plainNumber(-2.5), std::string("-2.5"));
    QCOMPARE(vantrel::plainNumber(500000), std::string("500000"));
}

// What the window writes into a text box (tracking, resolution, decode) is
// read back by the leading-number rule and must give the same plan.
void TestNumberFormat::generalReadsBack()
{
    for (const double value : {2320.5, 1160.25, 3333333.33333333, 1e15, 1.5e-6, 0.00001, -72.125}) {
        QCOMPARE(vantrel::readLeadingNumber(vantrel::generalNumber(value)), value);
        QCOMPARE(vantrel::readLeadingNumber(vantrel::plainNumber(value)), value);
    }
}

void TestNumberFormat::mask_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    QTest::addRow("pfd whole") << 10.0 << "#0.0#####" << "10.0";
    QTest::addRow("pfd thirds") << 10.0 / 3 << "#0.0#####" << "3.333333";
    QTest::addRow("pfd too high") << 100.0 / 3 << "#0.0#####" << "33.333333";
    QTest::addRow("pfd below one") << 0.5 << "#0.0#####" << "0.5";
    QTest::addRow("listing pfd") << 10.0 << "#0.00####MHz" << "10.00MHz";
    QTest::addRow("listing pfd below one") << 0.5 << "#0.00####MHz" << "0.50MHz";
    QTest::addRow("whole") << 4000.0 << "###0" << "4000";
    QTest::addRow("whole zero") << 0.0 << "###0" << "0";
    QTest::addRow("whole large") << 123456789.0 << "####0" << "123456789";
    QTest::addRow("error zero") << 0.0 << "###0.0#Hz" << "0.0Hz";
    QTest::addRow("error negative") << -500000.0 << "###0.0#Hz" << "-500000.0Hz";
    QTest::addRow("error rounds down") << 4.00128 << "###0.0#Hz" << "4.0Hz";
    QTest::addRow("half rounds away from zero") << 0.125 << "###0.0#Hz" << "0.13Hz";
    QTest::addRow("negative half rounds away from zero") << -0.125 << "###0.0#Hz" << "-0.13Hz";
    QTest::addRow("decimal half, binary below it") << 2.675 << "###0.0#Hz" << "2.68Hz";
    QTest::addRow("carry into the integer") << 9.999 << "###0.0#Hz" << "10.0Hz";
    QTest::addRow("negative zero has no sign") << -0.0 << "###0.0#Hz" << "0.0Hz";
    QTest::addRow("padded") << 7.0 << "0000" << "0007";
    QTest::addRow("padded full") << 4095.0 << "0000" << "4095";
    QTest::addRow("padded wider") << 12345.0 << "0000" << "12345";
    QTest::addRow("optional digits") << 64.0 << "##" << "64";
    QTest::addRow("optional digits one") << 1.0 << "##" << "1";
    QTest::addRow("ee output whole") << 35.0 << "###0.0######" << "35.0";
    QTest::addRow("ee output seven decimals") << 145.123456789 << "###0.0######" << "145.1234568";
    QTest::addRow("block number negative") << -3.0 << "##0" << "-3";
    QTest::addRow("infinity") << std::numeric_limits<double>::infinity() << "###0.0#Hz" << "InfinityHz";
}

void TestNumberFormat::mask()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(vantrel::formatMask(value, mask.toStdString())), expected);
}

void TestNumberFormat::shown_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("places");
    QTest::addColumn<double>("expected");
    QTest::addRow("binary noise below a kHz figure") << 4524.999999999999 << 3 << 4525.0;
    QTest::addRow("thirds to three places") << 2.0833333333333335 << 3 << 2.083;
    QTest::addRow("error noise of an exact plan is zero") << -2.2737367544323206e-07 << 1 << 0.0;
    QTest::addRow("noise on a negative error") << -1886.000000013155 << 1 << -1886.0;
    QTest::addRow("half goes away from zero") << -0.25 << 1 << -0.3;
    QTest::addRow("no places") << 2450000000.4 << 0 << 2450000000.0;
    QTest::addRow("millihertz of a GHz output") << 1000002499.9999999 << 3 << 1000002500.0;
}

void TestNumberFormat::shown()
{
    QFETCH(double, value);
    QFETCH(int, places);
    QFETCH(double, expected);
    const double shown = vantrel::shownValue(value, places);
    QCOMPARE(shown, expected);
    QVERIFY2(!std::signbit(shown) || shown != 0.0, "a negative zero would print as -0");
}

QTEST_APPLESS_MAIN(TestNumberFormat)
#include "tst_number_format.moc"
