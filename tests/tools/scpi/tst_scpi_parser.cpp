// The SCPI reader on its own: which header forms reach which command, what
// each kind of parameter becomes, the error number of each kind of bad
// input (with the commands before it kept), the error queue and its
// answers, and frequencies written back in Hz.
#include <QtTest>

#include "scpi_errors.h"
#include "scpi_parser.h"

using namespace vantrel::scpi;

Q_DECLARE_METATYPE(Command)

namespace {

ParsedLine parsed(const QString& line) { return parseLine(line.toStdString()); }

} // namespace

class TestScpiParser : public QObject {
    Q_OBJECT
private slots:
    void headersReachTheirCommand_data();
    void headersReachTheirCommand();
    void parametersAreConverted_data();
    void parametersAreConverted();
    void badInputHasItsNumber_data();
    void badInputHasItsNumber();
    void echoedInputIsAsciiAndCut_data();
    void echoedInputIsAsciiAndCut();
    void theQueueKeepsTwentyAndSaysItOverflowed();
    void errorAnswers_data();
    void errorAnswers();
    void hertzTexts_data();
    void hertzTexts();
};

void TestScpiParser::headersReachTheirCommand_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QList<Command>>("commands");
    QTest::addColumn<QList<bool>>("queries");
    using C = Command;
    QTest::addRow("short form") << "FREQ 1" << QList<C>{C::Frequency} << QList<bool>{false};
    QTest::addRow("long form, lower case, every optional node")
        << "source:frequency:cw 1" << QList<C>{C::Frequency} << QList<bool>{false};
    QTest::addRow("FIXed as the leaf") << "SOUR:FREQ:FIX?" << QList<C>{C::Frequency} << QList<bool>{true};
    QTest::addRow("mixed case, channel suffix 1") << "Sour1:Pow:Lev:Imm:Ampl 5"
                                                  << QList<C>{C::Power} << QList<bool>{false};
    QTest::addRow("common commands in any case") << "*idn?;*Rst;*opc?" << QList<C>{C::Identify, C::Reset, C::OperationComplete}
                                                 << QList<bool>{true, false, true};
    // After ";" a header continues from the path of the one before.
    QTest::addRow("path carried over") << "FREQ:STAR 1;STOP 2;STEP 3"
                                       << QList<C>{C::SweepStart, C::SweepStop, C::SweepStep}
                                       << QList<bool>{false, false, false};
    QTest::addRow("root again after a colon") << "SWE:DWEL 1;:OUTP ON" << QList<C>{C::SweepDwell, C::Output}
                                              << QList<bool>{false, false};
    QTest::addRow("a common command keeps the path") << "LIST:FREQ 1;*WAI;DWEL 2"
                                                      << QList<C>{C::ListFrequency, C::Wait, C::ListDwell}
                                                      << QList<bool>{false, false, false};
    QTest::addRow("another branch without the colon") << "FREQ:STAR 1;POW 2" << QList<C>{C::SweepStart, C::Power}
                                                      << QList<bool>{false, false};
    QTest::addRow("SYST:ERR with and without NEXT") << "SYST:ERR?;:SYSTEM:ERROR:NEXT?"
                                                    << QList<C>{C::SystemError, C::SystemError} << QList<bool>{true, true};
    QTest::addRow("the reference") << "ROSC:EXT:FREQ 10MHZ" << QList<C>{C::Reference} << QList<bool>{false};
    QTest::addRow("INIT, its IMMediate and CONTinuous") << "INIT;INIT:IMM;:INIT:CONT 1"
                                                         << QList<C>{C::Initiate, C::Initiate, C::Continuous}
                                                         << QList<bool>{false, false, false};
    QTest::addRow("chip, registers and memory")
        << "SYST:CHIP:LIM?;STR OFF;:SYST:REG?;:MEM:STOR;REC"
        << QList<C>{C::ChipLimits, C::ChipStrict, C::Registers, C::MemoryStore, C::MemoryRecall}
        << QList<bool>{true, false, true, false, false};
    QTest::addRow("status, self-test and service request")
        << "*TST?;*SRE 4;:STAT:OPER?;OPER:COND?;ENAB 8;:STATUS:QUESTIONABLE:EVENT?;:STAT:PRES;:SYST:BOAR?"
        << QList<C>{C::SelfTest, C::ServiceEnable, C::OperationEvent, C::OperationCondition, C::OperationEnable,
                    C::QuestionableEvent, C::StatusPreset, C::BoardHolds}
        << QList<bool>{true, false, true, true, false, true, false, true};
    QTest::addRow("centre, span, points and appended lists")
        << "FREQ:CENT 1;SPAN 2;:SWE:POIN 3;:LIST:FREQ:APP 4;POIN?;:LIST:DWEL:APP 5;POIN?;:SYST:CHAN OFF"
        << QList<C>{C::FrequencyCenter, C::FrequencySpan, C::SweepPoints, C::ListFrequencyAppend,
                    C::ListFrequencyPoints, C::ListDwellAppend, C::ListDwellPoints, C::SweepChanged}
        << QList<bool>{false, false, false, false, true, false, true, false};
    QTest::addRow("LIST:DWEL alone clears the dwells") << "LIST:DWEL" << QList<C>{C::ListDwell} << QList<bool>{false};
    QTest::addRow("blanks, tabs and empty commands") << "  \tOUTP\t OFF ;; ABOR ;" << QList<C>{C::Output, C::Abort}
                                                     << QList<bool>{false, false};
    QTest::addRow("an empty line") << "" << QList<C>{} << QList<bool>{};
}

void TestScpiParser::headersReachTheirCommand()
{
    QFETCH(QString, line);
    QFETCH(QList<Command>, commands);
    QFETCH(QList<bool>, queries);
    const ParsedLine result = parsed(line);
    QVERIFY2(!result.error, result.error ? result.error->info.c_str() : "");
    QList<Command> seen;
    QList<bool> seenQueries;
    for (const ProgramUnit& unit : result.units) {
        seen << unit.command;
        seenQueries << unit.query;
    }
    QCOMPARE(seen, commands);
    QCOMPARE(seenQueries, queries);
}

void TestScpiParser::parametersAreConverted_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind"); // Value::Kind
    QTest::addColumn<double>("number");
    QTest::addColumn<bool>("flag");
    using K = Value::Kind;
    // Frequencies are held in MHz, moved by the decimal exponent.
    QTest::addRow("no suffix is Hz") << "FREQ 2400000000" << int(K::Number) << 2400.0 << false;
    QTest::addRow("GHZ, lower case, a blank before") << "FREQ 2.4 ghz" << int(K::Number) << 2400.0 << false;
    QTest::addRow("KHZ with an exponent") << "FREQ 2.4E6KHZ" << int(K::Number) << 2400.0 << false;
    QTest::addRow("MHZ, a plus sign and a point first") << "FREQ +.5MHZ" << int(K::Number) << 0.5 << false;
    // 2320.5e6 / 1e6 in binary would be off by one unit in the last place.
    QTest::addRow("an exact decimal shift") << "FREQ 145.2E6" << int(K::Number) << 145.2 << false;
    QTest::addRow("MIN") << "FREQ MIN" << int(K::Minimum) << 0.0 << false;
    QTest::addRow("MAXimum in full") << "FREQ maximum" << int(K::Maximum) << 0.0 << false;
    QTest::addRow("seconds in MS") << "SWE:DWEL 250MS" << int(K::Number) << 0.25 << false;
    QTest::addRow("seconds in US") << "SWE:DWEL 1500US" << int(K::Number) << 0.0015 << false;
    QTest::addRow("dBm with its suffix") << "POW -1DBM" << int(K::Number) << -1.0 << false;
    QTest::addRow("ON") << "OUTP ON" << int(K::Flag) << 0.0 << true;
    QTest::addRow("0 is OFF") << "OUTP 0" << int(K::Flag) << 0.0 << false;
    QTest::addRow("a number rounding to 1 is ON") << "OUTP 0.6" << int(K::Flag) << 0.0 << true;
    QTest::addRow("*ESE in hexadecimal") << "*ESE #H3C" << int(K::Number) << 60.0 << false;
    QTest::addRow("*ESE rounded") << "*ESE 31.6" << int(K::Number) << 32.0 << false;
    QTest::addRow("a query's MAX") << "POW? MAX" << int(K::Maximum) << 0.0 << false;
}

void TestScpiParser::parametersAreConverted()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(double, number);
    QFETCH(bool, flag);
    const ParsedLine result = parsed(line);
    QVERIFY2(!result.error, result.error ? result.error->info.c_str() : "");
    QCOMPARE(result.units.size(), std::size_t(1));
    QCOMPARE(result.units[0].values.size(), std::size_t(1));
    const Value& value = result.units[0].values[0];
    QCOMPARE(int(value.kind), kind);
    QCOMPARE(value.number, number);
    QCOMPARE(value.flag, flag);
}

void TestScpiParser::badInputHasItsNumber_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("unitsBefore"); // the commands read before the bad one
    QTest::addRow("a character no header has") << "FR%Q 1" << -102 << 0;
    QTest::addRow("a header ending in a colon") << "FREQ: 1" << -102 << 0;
    QTest::addRow("a query mark inside a header") << "FREQ?:CW 1" << -102 << 0;
    QTest::addRow("a number that is no number") << "FREQ 1.2.3" << -102 << 0;
    QTest::addRow("hexadecimal C style") << "FREQ 0x10" << -102 << 0;
    QTest::addRow("a string left open") << "FREQ:MODE 'CW" << -102 << 0;
    QTest::addRow("an empty parameter in a list") << "LIST:FREQ 1,,2" << -102 << 0;
    QTest::addRow("a string for a frequency") << "FREQ 'abc'" << -104 << 0;
    QTest::addRow("a number for the mode") << "FREQ:MODE 1" << -104 << 0;
    QTest::addRow("a number where only MIN or MAX may stand") << "FREQ? 5" << -104 << 0;
    QTest::addRow("a parameter for *RST") << "*RST 1" << -108 << 0;
    QTest::addRow("two frequencies for FREQ") << "FREQ 1,2" << -108 << 0;
    QTest::addRow("FREQ without its frequency") << "FREQ" << -109 << 0;
    QTest::addRow("LIST:FREQ without frequencies") << "LIST:FREQ" << -109 << 0;
    QTest::addRow("SYST:REG without words") << "SYST:REG" << -109 << 0;
    QTest::addRow("an unknown header") << "FREQ 1;VOLT 2" << -113 << 1;
    QTest::addRow("a query of a command") << "*RST?" << -113 << 0;
    QTest::addRow("a query as a command") << "SYST:ERR" << -113 << 0;
    QTest::addRow("a channel other than 1") << "SOUR2:FREQ 1" << -113 << 0;
    QTest::addRow("a short form cut further") << "FRE 1" << -113 << 0;
    QTest::addRow("a frequency in volts") << "FREQ 2.4V" << -131 << 0;
    QTest::addRow("M alone is milli, not mega, in SCPI") << "FREQ 2400M" << -131 << 0;
    QTest::addRow("a dwell in hours") << "SWE:DWEL 1H" << -131 << 0;
    QTest::addRow("a unit on a flag") << "OUTP 1HZ" << -131 << 0;
    QTest::addRow("a frequency beyond a double") << "FREQ 1E400" << -222 << 0;
    QTest::addRow("an unknown mode") << "FREQ:MODE SWEEPS" << -224 << 0;
    QTest::addRow("a word that is no flag") << "OUTP MAYBE" << -224 << 0;
    QTest::addRow("MIN inside a list") << "LIST:FREQ 1,MIN" << -224 << 0;
    QTest::addRow("a word for MIN or MAX") << "POW? DEF" << -224 << 0;
    QTest::addRow("the good ones before it stay") << "OUTP ON;POW 2;FREQ 5 PARSEC;*IDN?" << -131 << 2;
}

void TestScpiParser::badInputHasItsNumber()
{
    QFETCH(QString, line);
    QFETCH(int, code);
    QFETCH(int, unitsBefore);
    const ParsedLine result = parsed(line);
    QVERIFY(result.error);
    QCOMPARE(result.error->code, code);
    QVERIFY(!errorText(code).empty());
    QCOMPARE(int(result.units.size()), unitsBefore);
}

void TestScpiParser::echoedInputIsAsciiAndCut_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("info");
    // Fixed: the header came back raw, NUL and UTF-8 bytes and all, whole.
    QTest::addRow("NUL and UTF-8 in a header") << QByteArray("FR\0\xc3\xa9Q 1", 9)
                                               << QByteArray("'FR\\x00\\xC3\\xA9Q' is no header");
    QTest::addRow("a long header cut at 40") << QByteArray(60, 'X') + " 1" << "'" + QByteArray(40, 'X') + "...'";
    QTest::addRow("a bad parameter") << QByteArray("OUTP \xff") << QByteArray("'\\xFF' is no parameter");
}

void TestScpiParser::echoedInputIsAsciiAndCut()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, info);
    const ParsedLine result = parseLine(std::string_view(line.constData(), std::size_t(line.size())));
    QVERIFY(result.error);
    QVERIFY2(QByteArray::fromStdString(result.error->info).startsWith(info), result.error->info.c_str());
}

void TestScpiParser::theQueueKeepsTwentyAndSaysItOverflowed()
{
    ErrorQueue queue;
    QCOMPARE(queue.pop().code, 0);
    for (int i = 1; i <= 25; ++i)
        queue.push({-222, std::to_string(i)});
    QCOMPARE(queue.size(), ErrorQueue::kCapacity);
    // The oldest are kept, in order; the last place says that more came.
    for (int i = 1; i < 20; ++i) {
        const Error error = queue.pop();
        QCOMPARE(error.code, -222);
        QCOMPARE(error.info, std::to_string(i));
    }
    QCOMPARE(queue.pop().code, -350);
    QCOMPARE(queue.pop().code, 0);
    QVERIFY(queue.empty());
}

void TestScpiParser::errorAnswers_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("info");
    QTest::addColumn<QString>("answer");
    QTest::addRow("no error") << 0 << "" << "0,\"No error\"";
    QTest::addRow("with what went wrong") << -222 << "VCO 100 MHz below 2200" << "-222,\"Data out of range;VCO 100 MHz below 2200\"";
    QTest::addRow("a quote doubled") << -113 << "say \"hi\"" << "-113,\"Undefined header;say \"\"hi\"\"\"";
    // Fixed: raw bytes went out as they came, and a client's decoder failed on them.
    QTest::addRow("line ends and bytes beyond ASCII as \\xHH")
        << -310 << "a\r\nb\xc3\xa9" << "-310,\"System error;a\\x0D\\x0Ab\\xC3\\xA9\"";
    QTest::addRow("each standard text") << -350 << "" << "-350,\"Queue overflow\"";
}

void TestScpiParser::errorAnswers()
{
    QFETCH(int, code);
    QFETCH(QString, info);
    QFETCH(QString, answer);
    QCOMPARE(QString::fromStdString(errorResponse({code, info.toStdString()})), answer);
}

void TestScpiParser::hertzTexts_data()
{
    QTest::addColumn<double>("mhz");
    QTest::addColumn<QString>("hz");
    QTest::addRow("whole MHz") << 2400.0 << "2400000000";
    QTest::addRow("half a MHz") << 2320.5 << "2320500000";
    QTest::addRow("a fraction of a Hz kept") << 2400.0000123 << "2400000012.3";
    QTest::addRow("below 1 MHz") << 0.035 << "35000";
    QTest::addRow("below 1 Hz") << 0.0000005 << "0.5";
    QTest::addRow("below 1 mHz is 0") << 0.0000000004 << "0";
    QTest::addRow("zero, never negative") << -0.0 << "0";
    QTest::addRow("negative") << -1.25 << "-1250000";
    // Fixed: the plan's sums showed their binary noise.
    QTest::addRow("noise below 1 mHz, up") << 1000.0024999999999 << "1000002500";
    QTest::addRow("noise below 1 mHz, down") << 123.45750000000001 << "123457500";
    QTest::addRow("mHz kept, no trailing zeros") << 2400.0000005 << "2400000000.5";
}

void TestScpiParser::hertzTexts()
{
    QFETCH(double, mhz);
    QFETCH(QString, hz);
    QCOMPARE(QString::fromStdString(hertzText(mhz)), hz);
}

QTEST_APPLESS_MAIN(TestScpiParser)
#include "tst_scpi_parser.moc"
