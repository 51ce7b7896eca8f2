// The five worked register sets, word for word, and the field table that
// packing and decoding share.
#include <QtTest>

#include "frequency_plan.h"
#include "hex_codec.h"
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

QTEST_APPLESS_MAIN(TestRegisterPacking)
#include "tst_register_packing.moc"
