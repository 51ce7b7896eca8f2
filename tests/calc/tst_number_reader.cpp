// The leading-number rule, and that neither it nor the number forms depend
// on the C locale.
#include <QtTest>

#include <clocale>
#include <cstdlib>

#include "number_format.h"
#include "number_reader.h"

using vantrel::readLeadingNumber;

class TestNumberReader : public QObject {
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
    void overflowReadsAsInfinity();
    void commaLocaleChangesNothing();
};

void TestNumberReader::reads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::addRow("plain") << "2320.5" << 2320.5;
    QTest::addRow("unit after the number") << "2320.5MHz" << 2320.5;
    QTest::addRow("empty") << "" << 0.0;
    QTest::addRow("letters only") << "COM3" << 0.0;
    QTest::addRow("leading blanks") << "  3" << 3.0;
    QTest::addRow("blanks, tabs and line feeds between digits") << "2 3\t2\n0.5" << 2320.5;
    QTest::addRow("carriage return ends the number") << "12\r5" << 12.0;
    QTest::addRow("second point ends the number") << "1.5.3" << 1.5;
    QTest::addRow("point first") << ".5" << 0.5;
    QTest::addRow("negative") << "-10" << -10.0;
    QTest::addRow("sign then blank") << "- 5" << -5.0;
    QTest::addRow("plus sign") << "+7" << 7.0;
    QTest::addRow("two signs") << "+-7" << 0.0;
    QTest::addRow("exponent") << "1e3" << 1000.0;
    QTest::addRow("negative exponent") << "25E-1" << 2.5;
    QTest::addRow("exponent without digits") << "4e" << 4.0;
    QTest::addRow("exponent sign without digits") << "4e+x" << 4.0;
    QTest::addRow("comma is not a decimal point") << "2320,5" << 2320.0;
    QTest::addRow("leading zeros after the point") << "0.0025" << 0.0025;
    QTest::addRow("many zeros") << "000100.000" << 100.0;
    QTest::addRow("point alone") << "." << 0.0;
    QTest::addRow("underflow reads 0") << "1e-400" << 0.0;
    QTest::addRow("long digit string is correctly rounded") << "0.1000000000000000055511151231257827" << 0.1;
}

void TestNumberReader::reads()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(readLeadingNumber(text.toStdString()), expected);
}

void TestNumberReader::overflowReadsAsInfinity()
{
    QVERIFY(std::isinf(readLeadingNumber("1e400")));
    QVERIFY(readLeadingNumber("-1e400") < 0);
    QVERIFY(std::isinf(readLeadingNumber("9e999999999999999999999")));
}

// The C locale is where printf and strtod take their decimal point from, and
// Qt sets it from the environment on Unix; a German desktop must still read
// and show "2320.5".
void TestNumberReader::commaLocaleChangesNothing()
{
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"};
    const char* chosen = nullptr;
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    }
    if (!chosen) {
        if (qEnvironmentVariableIsSet("VANTREL_REQUIRE_COMMA_LOCALE"))
            QFAIL("no locale with a decimal comma is installed (localedef -i de_DE -f UTF-8 de_DE.UTF-8)");
        QSKIP("no locale with a decimal comma is installed");
    }
    QCOMPARE(std::localeconv()->decimal_point[0], ',');
    QCOMPARE(readLeadingNumber("2320.5"), 2320.5);
    QCOMPARE(vantrel::generalNumber(2320.5), std::string(" 2320.5"));
    QCOMPARE(vantrel::formatMask(3.3333333, "#0.0#####"), std::string("3.333333"));
    QCOMPARE(vantrel::plainNumber(10000000.0 / 3), std::string("3333333.33333333"));
    std::setlocale(LC_ALL, "C");
}

QTEST_APPLESS_MAIN(TestNumberReader)
#include "tst_number_reader.moc"
