// The chip options on their own: every code of every field packs into its
// bits and reads back as itself, the defaults add nothing to the words, the
// notes the strip shows, and what following the datasheet sets.
#include <QtTest>

#include "chip_options.h"
#include "hex_codec.h"

using namespace vantrel;

Q_DECLARE_METATYPE(vantrel::ChipOptions)

namespace {

// The words with only the control bits, Reg5's reserved pair and the options.
RegisterSet packed(const ChipOptions& options)
{
    RegisterSet set{0, 1, 2, 3, 4, 5};
    packChipOptions(options, set);
    return set;
}

ChipOptions with(const char* field, std::uint32_t code)
{
    ChipOptions options;
    chipOptionField(field)->set(options, code);
    return options;
}

} // namespace

class TestChipOptions : public QObject {
    Q_OBJECT
private slots:
    void everyCodeReadsBackAsItself();
    void defaultsAddNothingButTheFixedBits();
    void aMuxCodeNoButtonOffersIsAnOption();
    void notes_data();
    void notes();
    void followingTheDatasheet();
    void textNamesEveryField();
};

// Exhaustive over every code of every field: a shift or width off by one
// would move a code into a neighbour, or lose its top bit.
void TestChipOptions::everyCodeReadsBackAsItself()
{
    for (const ChipOptionField& field : chipOptionFields()) {
        for (std::uint32_t code = 0; code <= field.field.maxValue(); ++code) {
            const ChipOptions options = with(field.name.data(), code);
            QCOMPARE(field.get(options), code);
            const RegisterSet set = packed(options);
            QCOMPARE(chipOptionsOf(set), options);
            // Only this field's bits moved from the defaults.
            const RegisterSet defaults = packed(ChipOptions{});
            for (std::size_t reg = 0; reg < set.size(); ++reg) {
                const std::uint32_t moved = set[reg] ^ defaults[reg];
                QVERIFY2((moved & ~(reg == field.reg ? field.field.mask() : 0u)) == 0,
                         qPrintable(QStringLiteral("%1 code %2 moved Reg%3 by %4")
                                        .arg(QLatin1String(field.name.data()))
                                        .arg(code)
                                        .arg(reg)
                                        .arg(QString::fromStdString(hexFormat(moved)))));
            }
        }
    }
}

void TestChipOptions::defaultsAddNothingButTheFixedBits()
{
    // The words the panel sent before the options existed: phase value 1,
    // RF output on, lock-detect pin 01 and Reg5's reserved 11.
    const RegisterSet set = packed(ChipOptions{});
    QCOMPARE(set[1], 0x00008001u);
    QCOMPARE(set[2], 2u);
    QCOMPARE(set[3], kReg3);
    QCOMPARE(set[4], 0x00000024u);
    QCOMPARE(set[5], kReg5);
}

void TestChipOptions::aMuxCodeNoButtonOffersIsAnOption()
{
    for (std::uint32_t code = 0; code <= 7; ++code) {
        RegisterSet set = packed(ChipOptions{});
        set[2] |= pack(reg2::kMuxout, code);
        const std::optional<MuxOut> option = chipOptionsOf(set).muxCode;
        const bool offeredByAButton = code == 0 || code == 3 || code == 4 || code == 6;
        QCOMPARE(option.has_value(), !offeredByAButton);
        QCOMPARE(isMuxOptionCode(code), !offeredByAButton);
        if (option)
            QCOMPARE(static_cast<std::uint32_t>(*option), code);
    }
}

void TestChipOptions::notes_data()
{
    QTest::addColumn<ChipOptions>("options");
    QTest::addColumn<QStringList>("notes");
    QTest::addRow("defaults: nothing to note") << ChipOptions{} << QStringList{};
    QTest::addRow("RF output off") << with("RfOutputEnable", 0) << QStringList{"RF output off"};
    ChipOptions aux = with("AuxEnable", 1);
    QTest::addRow("AUX on at its default") << aux << QStringList{"AUX -4 dBm divided"};
    aux.auxPower = 2;
    aux.auxSelect = AuxSelect::Fundamental;
    QTest::addRow("AUX +2 dBm fundamental") << aux << QStringList{"AUX +2 dBm fundamental"};
    // Power and select without the enable change nothing at the output.
    ChipOptions auxOff = aux;
    auxOff.auxEnable = false;
    QTest::addRow("AUX power and select, AUX off") << auxOff << QStringList{};
    QTest::addRow("counter reset") << with("CounterReset", 1) << QStringList{"counter reset"};
    QTest::addRow("VCO powered down") << with("VcoPowerDown", 1) << QStringList{"VCO powered down"};
    QTest::addRow("three-state") << with("ChargePumpThreeState", 1) << QStringList{"three-state"};
    ChipOptions all = aux;
    all.rfOutputEnable = false;
    all.counterReset = all.vcoPowerDown = all.chargePumpThreeState = true;
    QTest::addRow("all five, in order")
        << all << QStringList{"RF output off", "AUX +2 dBm fundamental", "counter reset", "VCO powered down",
                              "three-state"};
    // Options that matter to the plan but not at a glance.
    ChipOptions planOnly = with("PhaseAdjust", 1);
    planOnly.abp = Antibacklash::Ns3;
    QTest::addRow("phase adjust and ABP 3 ns") << planOnly << QStringList{};
}

void TestChipOptions::notes()
{
    QFETCH(ChipOptions, options);
    QStringList notes;
    for (const std::string& note : chipOptionNotes(options))
        notes << QString::fromStdString(note);
    QTEST(notes, "notes");
}

void TestChipOptions::followingTheDatasheet()
{
    ChipOptions options = with("PhaseValue", 7);
    options.rfOutputEnable = false;
    QVERIFY(followsDatasheetForMode(options, false));
    QVERIFY(!followsDatasheetForMode(options, true));
    followDatasheetForMode(options, true);
    QCOMPARE(options.ldp, LockDetectPrecision::Ns6);
    QCOMPARE(options.abp, Antibacklash::Ns3);
    QVERIFY(options.chargeCancellation);
    QVERIFY(followsDatasheetForMode(options, true));
    // Nothing else moves.
    QCOMPARE(options.phaseValue, 7u);
    QVERIFY(!options.rfOutputEnable);
    followDatasheetForMode(options, false);
    ChipOptions expected = with("PhaseValue", 7);
    expected.rfOutputEnable = false;
    QCOMPARE(options, expected);
}

void TestChipOptions::textNamesEveryField()
{
    ChipOptions options = with("LockDetectPin", 2); // a code the window does not offer
    options.muxCode = MuxOut::AnalogLockDetect;
    options.auxPower = 3;
    const QString text = QString::fromStdString(chipOptionsText(options));
    QVERIFY2(text.startsWith(QStringLiteral("MUXOUT analog lock detect, phase adjust off, phase value 1, ")),
             qPrintable(text));
    for (const char* part : {"VCO power-down off", "AUX output power +5 dBm", "RF output enable on",
                             "lock-detect pin low (10)", "clock divider value 0"})
        QVERIFY2(text.contains(QLatin1String(part)), part);
    QCOMPARE(text.count(QStringLiteral(", ")), int(chipOptionFields().size()));
}

QTEST_APPLESS_MAIN(TestChipOptions)
#include "tst_chip_options.moc"
