// The settings file on its own: what it keeps, and every way a file can fail
// to be one, each refused whole with the reason.
#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "settings_file.h"

#ifdef Q_OS_UNIX
#include "unblocking_fifo.h"
#endif

using vantrel::PanelSettings;

Q_DECLARE_METATYPE(vantrel::SettingsSource)

namespace {

// Every member away from the window's initial value, a non-ASCII text among them.
PanelSettings unusualSettings()
{
    PanelSettings p;
    vantrel::Settings& s = p.settings;
    s.foutText = "145.2MHz";
    s.frText = " 25";
    s.rdividerText = "2";
    s.resolutionText = "";
    s.refDbl = s.refDiv2 = s.feedback = s.pdPol = s.lowSpur = s.intN = s.trackDivider = true;
    s.prescale8 = s.enable = s.mtld = false;
    s.mux = vantrel::MuxButton::MuxR;
    s.outDivCont = 6;
    s.chrgPump = 0;
    s.pwr = 1;
    p.forceDText = "12.5";
    p.portText = "Prüfstand 3";
    // Every chip option away from its default too, codes only a read-back brings among them.
    vantrel::ChipOptions& c = s.chip;
    c.phaseAdjust = c.doubleBuffer = c.chargePumpThreeState = c.counterReset = true;
    c.chargeCancellation = c.cycleSlipReduction = c.vcoPowerDown = c.auxEnable = true;
    c.rfOutputEnable = false;
    c.phaseValue = 4095;
    c.ldp = vantrel::LockDetectPrecision::Ns6;
    c.bandSelectClockMode = vantrel::BandSelectClockMode::High;
    c.abp = vantrel::Antibacklash::Ns3;
    c.clockDividerMode = vantrel::ClockDividerMode::Reserved;
    c.clockDivider = 150;
    c.auxSelect = vantrel::AuxSelect::Fundamental;
    c.auxPower = 2;
    c.ldPin = vantrel::LockDetectPin::Low10;
    p.followDatasheet = true;
    p.loopBandwidth.setKHz = 120.5;
    p.loop.filter = vantrel::LoopFilter{1.5e-9, 22e-9, 470e-12, 1e3, 2.2e3};
    p.loop.kvMHzPerV = 35.5;
    p.loop.rsetKOhm = 4.7;
    p.loop.target = vantrel::DesignTarget{50e3, 47.5, 1.1, 0.4};
    p.loop.range = {100, 20e6};
    p.loopBandwidth.circuit = p.loop.circuit();
    return p;
}

// Each member as text, read off the struct itself, so that a member the
// file forgot both ways still shows.
QStringList members(const PanelSettings& p)
{
    const vantrel::Settings& s = p.settings;
    QStringList list;
    for (const std::string* text :
         {&s.foutText, &s.frText, &s.rdividerText, &s.resolutionText, &p.forceDText, &p.portText})
        list << QString::fromStdString(*text);
    for (const bool check : {s.refDbl, s.refDiv2, s.feedback, s.prescale8, s.pdPol, s.lowSpur, s.enable, s.mtld, s.intN,
                             s.trackDivider})
        list << QString::number(int(check));
    for (const int position : {int(s.mux), s.outDivCont, s.chrgPump, s.pwr})
        list << QString::number(position);
    for (const vantrel::ChipOptionField& field : vantrel::chipOptionFields())
        list << QStringLiteral("%1=%2").arg(QLatin1String(field.name.data())).arg(field.get(s.chip));
    list << QStringLiteral("MuxCode=%1").arg(s.chip.muxCode ? int(*s.chip.muxCode) : -1)
         << QStringLiteral("FollowDatasheet=%1").arg(p.followDatasheet)
         << QStringLiteral("LoopBandwidth=%1").arg(p.loopBandwidth.setKHz ? *p.loopBandwidth.setKHz : -1);
    const vantrel::LoopSettings& l = p.loop;
    if (l.filter)
        list << QStringLiteral("Filter=%1,%2,%3,%4,%5").arg(l.filter->c1).arg(l.filter->c2).arg(l.filter->c3)
                    .arg(l.filter->r2).arg(l.filter->r3);
    if (l.target)
        list << QStringLiteral("Design=%1,%2,%3,%4").arg(l.target->crossoverHz).arg(l.target->phaseMarginDeg)
                    .arg(l.target->gamma).arg(l.target->t31);
    list << QStringLiteral("Kv=%1 Rset=%2 Range=%3,%4").arg(l.kvMHzPerV).arg(l.rsetKOhm).arg(l.range.startHz)
                .arg(l.range.stopHz)
         << QStringLiteral("Circuit=%1").arg(p.loopBandwidth.circuit == l.circuit());
    return list;
}

// The JSON value written as `json`, or nothing for "remove".
std::optional<QJsonValue> valueOf(const QString& json)
{
    if (json == QLatin1String("remove"))
        return std::nullopt;
    return QJsonDocument::fromJson(('[' + json + ']').toUtf8()).array().at(0);
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void keepsEveryMember();
    void refusesAFaultyFile_data();
    void refusesAFaultyFile();
    void filesThatCannotBeRead();
    void whatIsNoSettingsFile_data();
    void whatIsNoSettingsFile();
    void aFailedSaveSaysWhy();
    void aVersion1FileOpensWithTheDefaultOptions();
    void olderVersionsAssumeTheLoopBandwidth_data();
    void olderVersionsAssumeTheLoopBandwidth();
    void olderVersionsOpenWithNoFilter_data();
    void olderVersionsOpenWithNoFilter();
};

void TestSettingsFile::keepsEveryMember()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.json"));
    const PanelSettings saved = unusualSettings();
    QCOMPARE(vantrel::writeSettingsFile(path, saved), QString());
    const vantrel::SettingsFileReading reading = vantrel::readSettingsFile(path);
    QVERIFY2(reading.settings, qPrintable(reading.error));
    QCOMPARE(members(*reading.settings), members(saved));
    // No button selected reads back as none selected, with or without a
    // MUXOUT code among the options.
    PanelSettings none;
    none.settings.mux = vantrel::MuxButton::NoneSelected;
    QCOMPARE(members(*vantrel::parseSettingsFile(vantrel::settingsFileText(none)).settings), members(none));
    none.settings.chip.muxCode = vantrel::MuxOut::DGnd;
    QCOMPARE(members(*vantrel::parseSettingsFile(vantrel::settingsFileText(none)).settings), members(none));
}

void TestSettingsFile::refusesAFaultyFile_data()
{
    // A valid file with one member changed: the member's path ("" for the
    // whole document), its new JSON value or "remove", and the reason given.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("json");
    QTest::addColumn<QString>("error");
    QTest::addRow("not JSON") << "" << "{\"format\": " << "it is not JSON (unterminated object at byte 11)";
    QTest::addRow("a JSON array") << "" << "[1, 2]" << "it is not a settings file (no JSON object)";
    QTest::addRow("another program's format")
        << "format" << "\"other-settings\"" << "it is not a settings file (\"format\" is not \"vantrel-settings\")";
    QTest::addRow("no format") << "format" << "remove"
                               << "it is not a settings file (\"format\" is not \"vantrel-settings\")";
    QTest::addRow("a later version") << "version" << "5"
                                     << "it is settings file version 5, and this program reads versions 1 to 4";
    QTest::addRow("no version") << "version" << "remove" << "\"version\" is missing";
    QTest::addRow("the version as text") << "version" << "\"1\"" << "\"version\" is not a number";
    QTest::addRow("no texts") << "texts" << "remove" << "\"texts\" is missing";
    QTest::addRow("checks not an object") << "checks" << "[]" << "\"checks\" is not an object";
    QTest::addRow("a text missing") << "texts.ResolutionText" << "remove" << "\"texts.ResolutionText\" is missing";
    QTest::addRow("a number for a text") << "texts.FrText" << "10" << "\"texts.FrText\" is not a text";
    QTest::addRow("a text longer than a box takes")
        << "texts.ForceD" << '"' + QString(32768, QLatin1Char('1')) + '"'
        << "\"texts.ForceD\" is longer than 32767 characters";
    QTest::addRow("a check box as 1") << "checks.IntN" << "1" << "\"checks.IntN\" is not true or false";
    QTest::addRow("no tracking") << "checks.TrackDivider" << "remove" << "\"checks.TrackDivider\" is missing";
    QTest::addRow("no MUXOUT") << "mux" << "remove" << "\"mux\" is missing";
    QTest::addRow("a MUXOUT code instead of a button")
        << "mux" << "6" << "\"mux\" is not one of none, MuxNone, MuxR, MuxN, MuxL";
    QTest::addRow("a MUXOUT button in lower case")
        << "mux" << "\"muxl\"" << "\"mux\" is not one of none, MuxNone, MuxR, MuxN, MuxL";
    QTest::addRow("charge pump above 15")
        << "scrolls.ChrgPump" << "16" << "\"scrolls.ChrgPump\" is 16, outside 0 to 15";
    QTest::addRow("divider 128") << "scrolls.OutDivCont" << "7" << "\"scrolls.OutDivCont\" is 7, outside 0 to 6";
    QTest::addRow("power below 0") << "scrolls.Pwr" << "-1" << "\"scrolls.Pwr\" is -1, outside 0 to 3";
    QTest::addRow("power between two steps") << "scrolls.Pwr" << "2.5" << "\"scrolls.Pwr\" is 2.5, not a whole number";
    QTest::addRow("a position as text") << "scrolls.ChrgPump" << "\"7\"" << "\"scrolls.ChrgPump\" is not a number";
    QTest::addRow("a control the file does not keep")
        << "texts.Udata" << "\"hello\"" << "unknown member \"texts.Udata\"";
    QTest::addRow("a misspelt check box") << "checks.RefDBL" << "true" << "unknown member \"checks.RefDBL\"";
    QTest::addRow("an unknown group") << "colours" << "{}" << "unknown member \"colours\"";

    QTest::addRow("no chip options in version 2") << "chip" << "remove" << "\"chip\" is missing";
    QTest::addRow("a chip option missing") << "chip.AuxPower" << "remove" << "\"chip.AuxPower\" is missing";
    QTest::addRow("a switch as 1") << "chip.RfOutputEnable" << "1" << "\"chip.RfOutputEnable\" is not true or false";
    QTest::addRow("AUX power 4") << "chip.AuxPower" << "4" << "\"chip.AuxPower\" is 4, outside 0 to 3";
    QTest::addRow("a phase value between two") << "chip.PhaseValue" << "1.5"
                                               << "\"chip.PhaseValue\" is 1.5, not a whole number";
    QTest::addRow("ABP as a number") << "chip.Antibacklash" << "3" << "\"chip.Antibacklash\" is not one of 6, 3";
    QTest::addRow("an unknown clock divider mode")
        << "chip.ClockDividerMode" << "\"fast\""
        << "\"chip.ClockDividerMode\" is not one of off, fast-lock, resync, reserved";
    QTest::addRow("a MUXOUT code a button offers")
        << "chip.MuxCode" << "6" << "\"chip.MuxCode\" is not null, 1, 2, 5 or 7";
    QTest::addRow("a MUXOUT code and a button")
        << "chip.MuxCode" << "2" << "\"chip.MuxCode\" and \"mux\" both choose the MUXOUT code";
    QTest::addRow("no Follow the Datasheet") << "chip.FollowDatasheet" << "remove"
                                             << "\"chip.FollowDatasheet\" is missing";
    QTest::addRow("an unknown chip option") << "chip.Dither" << "true" << "unknown member \"chip.Dither\"";

    QTest::addRow("no quality group in version 3") << "quality" << "remove" << "\"quality\" is missing";
    QTest::addRow("no loop bandwidth") << "quality.LoopBandwidth" << "remove"
                                       << "\"quality.LoopBandwidth\" is missing";
    QTest::addRow("a loop bandwidth as text") << "quality.LoopBandwidth" << "\"50 kHz\""
                                              << "\"quality.LoopBandwidth\" is not null or a number";
    QTest::addRow("a loop bandwidth of 0") << "quality.LoopBandwidth" << "0"
                                           << "\"quality.LoopBandwidth\" is 0, outside 0.01 to 10000 kHz";
    QTest::addRow("a loop bandwidth above 10 MHz") << "quality.LoopBandwidth" << "10000.5"
                                                   << "\"quality.LoopBandwidth\" is 10000.5, outside 0.01 to 10000 kHz";
    QTest::addRow("an unknown quality member") << "quality.LoopGain" << "2" << "unknown member \"quality.LoopGain\"";

    QTest::addRow("no loop group in version 4") << "loop" << "remove" << "\"loop\" is missing";
    QTest::addRow("a filter with C1 0")
        << "loop.Filter" << R"({"C1": 0, "C2": 2.2e-8, "C3": 0, "R2": 1000, "R3": 0})"
        << "\"loop.Filter\" is no filter: C1 is 0: the filter needs it";
    QTest::addRow("a filter with C3 and no R3")
        << "loop.Filter" << R"({"C1": 1e-9, "C2": 2.2e-8, "C3": 4.7e-10, "R2": 1000, "R3": 0})"
        << "\"loop.Filter\" is no filter: R3 is 0 while C3 is set: give both for a third-order filter, or neither "
           "for a second-order one";
    QTest::addRow("a part as text") << "loop.Filter" << R"({"C1": "1.5n", "C2": 2.2e-8, "C3": 0, "R2": 1000, "R3": 0})"
                                    << "\"loop.Filter.C1\" is not a number";
    QTest::addRow("an inductor") << "loop.Filter" << R"({"C1": 1e-9, "C2": 2.2e-8, "C3": 0, "R2": 1000, "R3": 0, "L1": 1})"
                                 << "unknown member \"loop.Filter.L1\"";
    QTest::addRow("Kv of 0") << "loop.KvMHzPerV" << "0"
                             << "\"loop.KvMHzPerV\" or \"loop.RsetKOhm\": Kv is not above 0 MHz/V";
    QTest::addRow("a range upside down") << "loop.JitterStopHz" << "50"
                                         << "\"loop.JitterStartHz\" to \"loop.JitterStopHz\": the integration range "
                                            "does not start below its stop";
    QTest::addRow("a phase margin of 90")
        << "loop.Design" << R"({"CrossoverHz": 5e4, "PhaseMarginDeg": 90, "Gamma": 1, "T31": 0.5})"
        << "\"loop.Design\" is no target: the phase margin is not between 0 and 90 degrees";
    QTest::addRow("an unknown loop member") << "loop.Order" << "3" << "unknown member \"loop.Order\"";
}

void TestSettingsFile::refusesAFaultyFile()
{
    QFETCH(QString, path);
    QFETCH(QString, json);
    QFETCH(QString, error);
    QByteArray text = json.toUtf8();
    if (!path.isEmpty()) {
        QJsonObject top = QJsonDocument::fromJson(vantrel::settingsFileText(unusualSettings())).object();
        const auto change = [&json](QJsonObject& object, const QString& key) {
            if (const std::optional<QJsonValue> value = valueOf(json))
                object.insert(key, *value);
            else
                object.remove(key);
        };
        const QStringList keys = path.split(QLatin1Char('.'));
        if (keys.size() == 1) {
            change(top, keys[0]);
        } else {
            QJsonObject group = top.value(keys[0]).toObject();
            change(group, keys[1]);
            top.insert(keys[0], group);
        }
        text = QJsonDocument(top).toJson();
    }
    const vantrel::SettingsFileReading reading = vantrel::parseSettingsFile(text);
    QVERIFY(!reading.settings);
    QCOMPARE(reading.error, error);
}

void TestSettingsFile::filesThatCannotBeRead()
{
    QTemporaryDir dir;
    const vantrel::SettingsFileReading missing = vantrel::readSettingsFile(dir.filePath(QStringLiteral("none.json")));
    QVERIFY(!missing.settings);
    QVERIFY2(missing.error.startsWith(QStringLiteral("it cannot be read (")), qPrintable(missing.error));

    QFile large(dir.filePath(QStringLiteral("large.json")));
    QVERIFY(large.open(QIODevice::WriteOnly));
    // Valid JSON up to its size, so only the size can refuse it.
    QByteArray padding = vantrel::settingsFileText(unusualSettings());
    padding.insert(1, QByteArray(vantrel::kMaxSettingsFileBytes, ' '));
    large.write(padding);
    large.close();
    const vantrel::SettingsFileReading tooLarge = vantrel::readSettingsFile(large.fileName());
    QVERIFY(!tooLarge.settings);
    QCOMPARE(tooLarge.error, QStringLiteral("it is larger than 1048576 bytes, too large for a settings file"));
}

void TestSettingsFile::whatIsNoSettingsFile_data()
{
    // The window takes regular files only; a tool may read a pipe.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<vantrel::SettingsSource>("source");
    QTest::addColumn<QString>("error");
    const auto regular = vantrel::SettingsSource::RegularFileOnly;
    QTest::addRow("an empty file") << "empty" << regular << "the file is empty";
    QTest::addRow("an empty file, for a tool") << "empty" << vantrel::SettingsSource::AnyFile << "the file is empty";
    QTest::addRow("blank lines only") << "blank" << regular << "the file is empty";
    QTest::addRow("a folder") << "folder" << regular << "it is a folder, not a file";
#ifdef Q_OS_UNIX
    // Both used to hold the window: the FIFO until a writer came, /dev/zero
    // until a megabyte of zeros had been read and refused as too large.
    QTest::addRow("a FIFO") << "fifo" << regular << "it is a pipe, not a regular file";
    QTest::addRow("a device") << "/dev/zero" << regular << "it is a device, not a regular file";
#endif
}

void TestSettingsFile::whatIsNoSettingsFile()
{
    QFETCH(QString, kind);
    QFETCH(vantrel::SettingsSource, source);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QString path = dir.filePath(kind);
    if (kind == QLatin1String("empty") || kind == QLatin1String("blank")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kind == QLatin1String("blank") ? " \r\n\n" : "");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(kind));
    } else if (kind.startsWith(QLatin1Char('/'))) {
        path = kind;
    }
#ifdef Q_OS_UNIX
    std::optional<UnblockingFifo> fifo;
    if (kind == QLatin1String("fifo")) {
        fifo.emplace(path);
        QVERIFY(fifo->isMade());
    }
#endif
    const vantrel::SettingsFileReading reading = vantrel::readSettingsFile(path, source);
    QVERIFY(!reading.settings);
    QCOMPARE(reading.error, error);
#ifdef Q_OS_UNIX
    if (fifo)
        QVERIFY2(!fifo->wasNeeded(), "the read waited for a writer");
#endif
}

void TestSettingsFile::aFailedSaveSaysWhy()
{
    QTemporaryDir dir;
    const QString error =
        vantrel::writeSettingsFile(dir.filePath(QStringLiteral("no-such-folder/bench.json")), unusualSettings());
    QVERIFY2(error.startsWith(QStringLiteral("it cannot be written (")), qPrintable(error));
    QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

// A file saved before the chip options existed opens with their defaults,
// which pack the words that file always gave; one that says it is version 1
// yet holds them is refused.
void TestSettingsFile::aVersion1FileOpensWithTheDefaultOptions()
{
    QJsonObject top = QJsonDocument::fromJson(vantrel::settingsFileText(unusualSettings())).object();
    top.remove(QStringLiteral("chip"));
    top.remove(QStringLiteral("quality"));
    top.remove(QStringLiteral("loop"));
    top.insert(QStringLiteral("version"), 1);
    const vantrel::SettingsFileReading reading = vantrel::parseSettingsFile(QJsonDocument(top).toJson());
    QVERIFY2(reading.settings, qPrintable(reading.error));
    QCOMPARE(reading.settings->settings.chip, vantrel::ChipOptions{});
    QVERIFY(!reading.settings->followDatasheet);
    QCOMPARE(reading.settings->settings.foutText, std::string("145.2MHz"));

    top.insert(QStringLiteral("chip"), QJsonObject{});
    const vantrel::SettingsFileReading withChip = vantrel::parseSettingsFile(QJsonDocument(top).toJson());
    QVERIFY(!withChip.settings);
    QCOMPARE(withChip.error, QStringLiteral("unknown member \"chip\""));
}

// Files saved before the loop bandwidth open with it assumed; one that
// says it is such a file yet holds it is refused. A bandwidth not set is
// written as null and stays not set.
void TestSettingsFile::olderVersionsAssumeTheLoopBandwidth_data()
{
    QTest::addColumn<int>("version");
    QTest::addRow("version 1") << 1;
    QTest::addRow("version 2") << 2;
}

void TestSettingsFile::olderVersionsAssumeTheLoopBandwidth()
{
    QFETCH(int, version);
    QJsonObject top = QJsonDocument::fromJson(vantrel::settingsFileText(unusualSettings())).object();
    top.remove(QStringLiteral("quality"));
    top.remove(QStringLiteral("loop"));
    if (version == 1)
        top.remove(QStringLiteral("chip"));
    top.insert(QStringLiteral("version"), version);
    const vantrel::SettingsFileReading reading = vantrel::parseSettingsFile(QJsonDocument(top).toJson());
    QVERIFY2(reading.settings, qPrintable(reading.error));
    QVERIFY(reading.settings->loopBandwidth.assumed());

    top.insert(QStringLiteral("quality"), QJsonObject{{QStringLiteral("LoopBandwidth"), 100}});
    QCOMPARE(vantrel::parseSettingsFile(QJsonDocument(top).toJson()).error,
             QStringLiteral("unknown member \"quality\""));

    const PanelSettings assumed;
    QVERIFY(QString::fromUtf8(vantrel::settingsFileText(assumed)).contains(QStringLiteral("\"LoopBandwidth\": null")));
    QVERIFY(vantrel::parseSettingsFile(vantrel::settingsFileText(assumed)).settings->loopBandwidth.assumed());
}

// Files saved before the loop filter open with none entered (and Kv, RSET,
// the target and the range at their defaults); one that says it is such a
// file yet holds a loop group is refused.
void TestSettingsFile::olderVersionsOpenWithNoFilter_data()
{
    QTest::addColumn<int>("version");
    QTest::addRow("version 1") << 1;
    QTest::addRow("version 2") << 2;
    QTest::addRow("version 3") << 3;
}

void TestSettingsFile::olderVersionsOpenWithNoFilter()
{
    QFETCH(int, version);
    QJsonObject top = QJsonDocument::fromJson(vantrel::settingsFileText(unusualSettings())).object();
    const QJsonValue loop = top.take(QStringLiteral("loop"));
    if (version < 3)
        top.remove(QStringLiteral("quality"));
    if (version < 2)
        top.remove(QStringLiteral("chip"));
    top.insert(QStringLiteral("version"), version);
    const vantrel::SettingsFileReading reading = vantrel::parseSettingsFile(QJsonDocument(top).toJson());
    QVERIFY2(reading.settings, qPrintable(reading.error));
    QCOMPARE(reading.settings->loop, vantrel::LoopSettings{});
    QVERIFY(!reading.settings->loopBandwidth.fromFilter());

    top.insert(QStringLiteral("loop"), loop);
    QCOMPARE(vantrel::parseSettingsFile(QJsonDocument(top).toJson()).error, QStringLiteral("unknown member \"loop\""));
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
