// The five worked register sets, word for word, and the field table that
// packing and decoding share.
#include <QtTest>

#include "frequency_plan.h"
#include "hex_codec.h"
#include "chip_options.h"
#include "register_layout.h"
#include "worked_examples.h"

using namespace vantrel;

Q_DECLARE_METATYPE(vantrel::Settings)

class TestRegisterPacking : public QObject {
    Q_OBJECT
private slots:
    void workedExamples_data();
    void workedExamples();
    void fieldsDoNotOverlap();
    void unpackReadsWhatPackWrote();
    void chipOptionsSitWhereTheDatasheetPutsThem_data();
    void chipOptionsSitWhereTheDatasheetPutsThem();
    void bandSelectDividerInClockModeHigh_data();
    void bandSelectDividerInClockModeHigh();
};

void TestRegisterPacking::workedExamples_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QStringList>("words");
    for (const worked::Example& example : worked::registerExamples()) {
        QStringList words;
        for (const char* word : example.words)
            words << QString::fromLatin1(word);
        QTest::addRow("%s", example.name) << example.settings << words;
    }
}

void TestRegisterPacking::workedExamples()
{
    QFETCH(Settings, settings);
    QFETCH(QStringList, words);
    const PlanResult r = computePlan(settings, {});
    QCOMPARE(r.outcome, PlanOutcome::Complete);
    QStringList packed;
    for (const std::uint32_t word : r.values.registers)
        packed << QString::fromStdString(hexFormat(word));
    QCOMPARE(packed, words);
    for (std::size_t k = 0; k < r.values.registers.size(); ++k)
        QCOMPARE(unpack(kControlBits, r.values.registers[k]), std::uint32_t(k));
}

void TestRegisterPacking::fieldsDoNotOverlap()
{
    const std::vector<std::vector<Field>> words = {
        {kControlBits, reg0::kInt, reg0::kFrac},
        {kControlBits, reg1::kPrescaler, reg1::kPhase, reg1::kMod},
        {kControlBits, reg2::kNoiseMode, reg2::kMuxout, reg2::kRefDoubler, reg2::kRefDivideBy2, reg2::kRCounter,
         reg2::kChargePump, reg2::kLockDetectFunction, reg2::kPdPolarity, reg2::kPowerDown},
        {kControlBits, reg4::kFeedbackSelect, reg4::kRfDividerSelect, reg4::kBandSelect,
         reg4::kMuteTillLockDetect, reg4::kRfOutputEnable, reg4::kOutputPower},
        // With the chip options, every field of every word.
        {kControlBits, reg1::kPhaseAdjust, reg1::kPrescaler, reg1::kPhase, reg1::kMod},
        {kControlBits, reg2::kNoiseMode, reg2::kMuxout, reg2::kRefDoubler, reg2::kRefDivideBy2, reg2::kRCounter,
         reg2::kDoubleBuffer, reg2::kChargePump, reg2::kLockDetectFunction, reg2::kLockDetectPrecision,
         reg2::kPdPolarity, reg2::kPowerDown, reg2::kChargePumpThreeState, reg2::kCounterReset},
        {kControlBits, reg3::kBandSelectClockMode, reg3::kAntibacklash, reg3::kChargeCancellation,
         reg3::kCycleSlipReduction, reg3::kClockDividerMode, reg3::kClockDivider},
        {kControlBits, reg4::kFeedbackSelect, reg4::kRfDividerSelect, reg4::kBandSelect, reg4::kVcoPowerDown,
         reg4::kMuteTillLockDetect, reg4::kAuxSelect, reg4::kAuxEnable, reg4::kAuxPower, reg4::kRfOutputEnable,
         reg4::kOutputPower},
        {kControlBits, reg5::kLockDetectPin, reg5::kReserved},
    };
    for (const auto& fields : words) {
        std::uint32_t used = 0;
        for (const Field f : fields) {
            QVERIFY2((used & f.mask()) == 0, "two fields share a bit");
            QVERIFY(f.shift + f.width <= 31); // bit 31 stays clear in every word
            used |= f.mask();
        }
    }
}

void TestRegisterPacking::unpackReadsWhatPackWrote()
{
    // A set read back from the board is taken apart with the same fields.
    const std::uint32_t reg2 = 0x18004E42;
    QCOMPARE(unpack(reg2::kMuxout, reg2), 6u);
    QCOMPARE(unpack(reg2::kChargePump, reg2), 7u);
    QCOMPARE(unpack(reg2::kRCounter, reg2), 1u);
    QCOMPARE(unpack(reg2::kPdPolarity, reg2), 1u);
    QCOMPARE(reg2::kRCounter.mask(), 0x00FFC000u);
    QCOMPARE(reg0::kInt.mask(), 0x7FFF8000u);
    QCOMPARE(reg4::kRfDividerSelect.mask(), 0x00700000u);
    QCOMPARE(pack(reg0::kInt, 65535) | pack(reg0::kFrac, 4095), 0x7FFFFFF8u);
}

// Each option away from its default on the first worked example: the words
// as the datasheet's register maps place the bits, written out by hand.
void TestRegisterPacking::chipOptionsSitWhereTheDatasheetPutsThem_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<uint>("code");
    QTest::addColumn<QStringList>("words");
    const QStringList first{"00740640", "0800FD01", "18004E42", "00000003", "0085003C", "00580005"};
    const auto changed = [&first](int reg, const char* word) {
        QStringList words = first;
        words[reg] = QString::fromLatin1(word);
        return words;
    };
    QTest::addRow("phase adjust: Reg1 bit 28") << "PhaseAdjust" << 1u << changed(1, "1800FD01");
    QTest::addRow("phase value 4095: Reg1 bits 26..15") << "PhaseValue" << 4095u << changed(1, "0FFFFD01");
    QTest::addRow("phase value 0") << "PhaseValue" << 0u << changed(1, "08007D01");
    QTest::addRow("double buffer: Reg2 bit 13") << "DoubleBuffer" << 1u << changed(2, "18006E42");
    QTest::addRow("LDP 6 ns: Reg2 bit 7") << "LockDetectPrecision" << 1u << changed(2, "18004EC2");
    QTest::addRow("three-state: Reg2 bit 4") << "ChargePumpThreeState" << 1u << changed(2, "18004E52");
    QTest::addRow("counter reset: Reg2 bit 3") << "CounterReset" << 1u << changed(2, "18004E4A");
    QTest::addRow("band-select clock high: Reg3 bit 23") << "BandSelectClockMode" << 1u << changed(3, "00800003");
    QTest::addRow("ABP 3 ns: Reg3 bit 22") << "Antibacklash" << 1u << changed(3, "00400003");
    QTest::addRow("charge cancellation: Reg3 bit 21") << "ChargeCancellation" << 1u << changed(3, "00200003");
    QTest::addRow("cycle slip reduction: Reg3 bit 18") << "CycleSlipReduction" << 1u << changed(3, "00040003");
    QTest::addRow("fast lock: Reg3 bits 16..15 01") << "ClockDividerMode" << 1u << changed(3, "00008003");
    QTest::addRow("resync: Reg3 bits 16..15 10") << "ClockDividerMode" << 2u << changed(3, "00010003");
    QTest::addRow("clock divider 4095: Reg3 bits 14..3") << "ClockDivider" << 4095u << changed(3, "00007FFB");
    QTest::addRow("VCO power-down: Reg4 bit 11") << "VcoPowerDown" << 1u << changed(4, "0085083C");
    QTest::addRow("AUX fundamental: Reg4 bit 9") << "AuxSelect" << 1u << changed(4, "0085023C");
    QTest::addRow("AUX enable: Reg4 bit 8") << "AuxEnable" << 1u << changed(4, "0085013C");
    QTest::addRow("AUX +5 dBm: Reg4 bits 7..6") << "AuxPower" << 3u << changed(4, "008500FC");
    QTest::addRow("RF output off: Reg4 bit 5 clear") << "RfOutputEnable" << 0u << changed(4, "0085001C");
    QTest::addRow("LD pin low: Reg5 bits 23..22 00") << "LockDetectPin" << 0u << changed(5, "00180005");
    QTest::addRow("LD pin high: Reg5 bits 23..22 11") << "LockDetectPin" << 3u << changed(5, "00D80005");
    // A code no button offers wins over the selected button.
    QTest::addRow("MUXOUT code 5 among the options") << "MuxCode" << 5u << changed(2, "14004E42");
}

void TestRegisterPacking::chipOptionsSitWhereTheDatasheetPutsThem()
{
    QFETCH(QString, field);
    QFETCH(uint, code);
    QFETCH(QStringList, words);
    Settings s = worked::first();
    if (field == QLatin1String("MuxCode"))
        s.chip.muxCode = static_cast<MuxOut>(code);
    else
        chipOptionField(field.toStdString())->set(s.chip, code);
    const PlanResult r = computePlan(s, {});
    QCOMPARE(r.outcome, PlanOutcome::Complete);
    QStringList packed;
    for (const std::uint32_t word : r.values.registers)
        packed << QString::fromStdString(hexFormat(word));
    QCOMPARE(packed, words);
}

void TestRegisterPacking::bandSelectDividerInClockModeHigh_data()
{
    QTest::addColumn<QString>("ref");
    QTest::addColumn<bool>("high");
    QTest::addColumn<int>("bandSelect");
    QTest::addRow("PFD 10, low: 80") << "10" << false << 80;
    QTest::addRow("PFD 10, high: 80 as well") << "10" << true << 80;
    QTest::addRow("PFD 40, low: the field stops at 255") << "40" << false << 255;
    QTest::addRow("PFD 40, high: the chip takes at most 254") << "40" << true << 254;
    QTest::addRow("PFD 31.75, high: 254 is reached exactly") << "31.75" << true << 254;
}

void TestRegisterPacking::bandSelectDividerInClockModeHigh()
{
    QFETCH(QString, ref);
    QFETCH(bool, high);
    Settings s = worked::first();
    s.frText = ref.toStdString();
    s.resolutionText = "100000";
    s.chip.bandSelectClockMode = high ? BandSelectClockMode::High : BandSelectClockMode::Low;
    const PlanResult r = computePlan(s, {});
    QCOMPARE(r.outcome, PlanOutcome::Complete);
    QTEST(int(r.values.bandSelect), "bandSelect");
    QTEST(int(unpack(reg4::kBandSelect, r.values.registers[4])), "bandSelect");
}

QTEST_APPLESS_MAIN(TestRegisterPacking)
#include "tst_register_packing.moc"
