// Frequencies with a unit: the value is the double nearest the decimal text
// scaled by the unit, and anything but a number and a unit is refused.
#include <QtTest>

#include "frequency_units.h"

using namespace vantrel;

class TestFrequencyUnits : public QObject {
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
};

void TestFrequencyUnits::reading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("unit");    // the option's own unit, FrequencyUnit
    QTest::addColumn<QString>("result"); // the box text, or "error: ..." (a part of it)
    const int MHz = int(FrequencyUnit::MHz);
    const int Hz = int(FrequencyUnit::Hz);
    QTest::addRow("no unit keeps the option's") << "2320.5" << MHz << "2320.5";
    QTest::addRow("G in MHz") << "2.4G" << MHz << "2400";
    // 1.001 * 1000 is 1000.9999999999999 in doubles; the exponent moves instead.
    QTest::addRow("G in MHz, exactly") << "1.001G" << MHz << "1001";
    QTest::addRow("GHz with a blank, any case") << " 2.4 ghz " << MHz << "2400";
    QTest::addRow("kHz in MHz") << "145212.5kHz" << MHz << "145.2125";
    QTest::addRow("k in Hz") << "100k" << Hz << "100000";
    QTest::addRow("an exponent and a unit") << "1.5e-3G" << MHz << "1.5";
    QTest::addRow("Hz in MHz") << "2500Hz" << MHz << "0.0025";
    QTest::addRow("negative step") << "-250k" << MHz << "-0.25";
    QTest::addRow("a letter O") << "24OO" << MHz << "error: has \"OO\" after the number";
    QTest::addRow("a comma") << "2400,5" << MHz << "error: has \",5\" after";
    QTest::addRow("empty") << "  " << MHz << "error: is empty";
    QTest::addRow("infinity") << "-inf" << MHz << "error: is not a number";
    QTest::addRow("a unit alone") << "MHz" << MHz << "error: is not a number";
    QTest::addRow("beyond a double") << "1e400" << MHz << "error: out of range";
}

void TestFrequencyUnits::reading()
{
    QFETCH(QString, text);
    QFETCH(int, unit);
    QFETCH(QString, result);
    const FrequencyReading reading = readFrequency(text.toStdString(), FrequencyUnit(unit));
    if (result.startsWith("error: ")) {
        QVERIFY(!reading.value);
        QVERIFY2(QString::fromStdString(reading.error).contains(result.mid(7)), reading.error.c_str());
        return;
    }
    QVERIFY2(reading.value, reading.error.c_str());
    QCOMPARE(QString::fromStdString(exactDecimalText(*reading.value)), result);
}

QTEST_MAIN(TestFrequencyUnits)
#include "tst_frequency_units.moc"
