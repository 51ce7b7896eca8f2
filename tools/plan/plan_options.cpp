#include "plan_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <limits>

#include "band_scan_text.h"
#include "chip_options.h"
#include "echoed_text.h"
#include "frequency_units.h"
#include "hex_codec.h"
#include "loop_options.h"
#include "number_format.h"
#include "number_reader.h"
#include "settings_file.h"
#include "sweep_points.h"

namespace vantrel {
namespace {

struct IntOption {
    QString name;
    int low;
    int high;
};

// The chip options on the command line, each a field of the options table.
struct ChipFlag {
    const char* option;
    const char* field;
    std::uint32_t code; // what the flag sets
};
constexpr ChipFlag kChipFlags[] = {
    {"rf-off", "RfOutputEnable", 0},      {"charge-cancel", "ChargeCancellation", 1},
    {"csr", "CycleSlipReduction", 1},     {"double-buffer", "DoubleBuffer", 1},
    {"phase-adjust", "PhaseAdjust", 1},   {"counter-reset", "CounterReset", 1},
    {"three-state", "ChargePumpThreeState", 1}, {"vco-off", "VcoPowerDown", 1},
};
struct ChipValue {
    const char* option;
    const char* field;
};
// A word of the field's offered choices, or a number within the field.
constexpr ChipValue kChipValues[] = {
    {"aux-power", "AuxPower"},          {"aux-select", "AuxSelect"},
    {"abp", "Antibacklash"},            {"ldp", "LockDetectPrecision"},
    {"phase", "PhaseValue"},            {"band-select-mode", "BandSelectClockMode"},
    {"clock-divider-mode", "ClockDividerMode"}, {"clock-divider", "ClockDivider"},
    {"ld-pin", "LockDetectPin"},
};
constexpr char kAuxOption[] = "aux";
constexpr char kMuxCodeOption[] = "mux-code";
constexpr char kFollowOption[] = "follow-datasheet";

// "6 or 3", "off, fast-lock or resync": the words a choice offers.
QString offeredWords(const ChipOptionField& field)
{
    QStringList words;
    for (const ChipOptionChoice& choice : field.choices) {
        if (choice.offered)
            words << QString::fromLatin1(choice.word.data(), qsizetype(choice.word.size()));
    }
    const QString last = words.takeLast();
    return words.isEmpty() ? last : words.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// Applies the chip options given; a usage error when one is not a value of its field.
std::optional<QString> readChipOptions(const QCommandLineParser& parser, Settings& s)
{
    ChipOptions& chip = s.chip;
    for (const ChipFlag& flag : kChipFlags) {
        if (parser.isSet(QString::fromLatin1(flag.option)))
            chipOptionField(flag.field)->set(chip, flag.code);
    }
    for (const ChipValue& value : kChipValues) {
        const QString name = QString::fromLatin1(value.option);
        if (!parser.isSet(name))
            continue;
        const ChipOptionField& field = *chipOptionField(value.field);
        const QString text = parser.value(name);
        if (field.kind == ChipOptionKind::Number) {
            const std::optional<int> number = wholeNumberIn(text, 0, static_cast<int>(field.field.maxValue()));
            if (!number)
                return QStringLiteral("--%1 %2: expected a whole number from 0 to %3")
                    .arg(name, echoed(text)).arg(field.field.maxValue());
            field.set(chip, static_cast<std::uint32_t>(*number));
            continue;
        }
        const std::optional<std::uint32_t> code = field.codeNamed(text.trimmed().toStdString());
        if (!code || !field.choice(*code)->offered)
            return QStringLiteral("--%1 %2: expected %3").arg(name, echoed(text), offeredWords(field));
        field.set(chip, *code);
    }
    if (parser.isSet(QString::fromLatin1(kAuxOption))) {
        const QString text = parser.value(QString::fromLatin1(kAuxOption)).trimmed();
        if (text != QLatin1String("on") && text != QLatin1String("off"))
            return QStringLiteral("--aux %1: expected on or off").arg(echoed(text));
        chip.auxEnable = text == QLatin1String("on");
    }
    if (parser.isSet(QString::fromLatin1(kMuxCodeOption))) {
        const QString text = parser.value(QString::fromLatin1(kMuxCodeOption));
        const std::optional<int> code = wholeNumberIn(text, 0, static_cast<int>(MuxOut::AnalogLockDetect));
        if (!code || !isMuxOptionCode(static_cast<std::uint32_t>(*code)))
            return QStringLiteral("--mux-code %1: expected 1 (DVdd), 2 (DGND) or 5 (analog lock detect); the "
                                  "other codes are --mux buttons").arg(echoed(text));
        // As in the window: choosing a code no button offers clears the buttons.
        chip.muxCode = static_cast<MuxOut>(*code);
        s.mux = MuxButton::NoneSelected;
    }
    return std::nullopt;
}

// A whole number within its range, or the usage error that names it.
std::optional<int> readInt(const QCommandLineParser& parser, const IntOption& option, QString& error)
{
    const QString text = parser.value(option.name);
    const std::optional<int> value = wholeNumberIn(text, option.low, option.high);
    if (!value)
        error = QStringLiteral("--%1 %2: expected a whole number from %3 to %4")
                    .arg(option.name, echoed(text)).arg(option.low).arg(option.high);
    return value;
}

struct FrequencyOption {
    const char* name;
    FrequencyUnit unit; // the option's own unit
    std::string Settings::*text;
    const char* fileKey; // the settings file's name for the box
    // What a board may be sent: from `low` (included when `lowIncluded`) to `high`, in `unit`.
    double low;
    bool lowIncluded;
    double high;
    const char* what;
};

const FrequencyOption kFrequencyOptions[] = {
    {"fout", FrequencyUnit::MHz, &Settings::foutText, "FoutText", kMinBoardFrequencyMHz, true,
     std::numeric_limits<double>::max(), "an output of at least 1 kHz"},
    {"ref", FrequencyUnit::MHz, &Settings::frText, "FrText", kMinBoardFrequencyMHz, true,
     std::numeric_limits<double>::max(), "a reference of at least 1 kHz"},
    {"resolution", FrequencyUnit::Hz, &Settings::resolutionText, "ResolutionText", 0, false, kMaxBoardResolutionHz,
     "a step above 0 Hz and at most 4400 MHz"},
};


QString unitText(FrequencyUnit unit) { return QString::fromLatin1(unitName(unit).data(), qsizetype(unitName(unit).size())); }

// Where a box's text came from, for a message: `--fout "2.4G"`, or
// `--settings bench.json: FoutText "2.4G"`.
QString whereFrom(const FrequencyOption& option, const QString& text, const QString& settingsPath)
{
    if (settingsPath.isEmpty())
        return QStringLiteral("--%1 \"%2\"").arg(QString::fromLatin1(option.name), echoed(text));
    return QStringLiteral("--settings %1: %2 \"%3\"")
        .arg(echoed(settingsPath), QString::fromLatin1(option.fileKey), echoed(text));
}

// When the box reads `typed` otherwise than it is written (more than a number
// and the box's own unit): "WHERE is read as 2.4 MHz, as the panel would;
// write 2400 or use vantrel-ctl's units". Empty otherwise, or for an empty text.
QString panelReadingNote(const QString& where, const std::string& typed, const FrequencyOption& option)
{
    if (readsAsWritten(typed, option.unit))
        return {};
    const FrequencyReading reading = readFrequency(typed, option.unit);
    const QString unit = unitText(option.unit);
    QString note = QStringLiteral("%1 is read as %2 %3, as the panel would")
                       .arg(where, QString::fromStdString(plainNumber(readLeadingNumber(typed))), unit);
    if (reading.value)
        note += QStringLiteral("; write %1 or use vantrel-ctl's units").arg(QString::fromStdString(plainNumber(*reading.value)));
    else
        note += QStringLiteral("; write the number alone, in %1").arg(unit);
    return note;
}

// The option's text for its box: with units, the number in the option's own
// unit (a usage error otherwise); as the boxes read it, the text as given,
// with a note when the box will not read it as the user may think.
std::optional<QString> frequencyText(const FrequencyOption& option, const QString& given, FrequencyTexts rule,
                                     std::string& text, QStringList& notes)
{
    const std::string typed = given.toStdString();
    if (rule == FrequencyTexts::WithUnits) {
        const FrequencyReading reading = readFrequency(typed, option.unit);
        if (!reading.value)
            return QStringLiteral("%1 %2: give a number, in %3 or with a unit (Hz, kHz, MHz, GHz; k, M, G)")
                .arg(whereFrom(option, given, {}), QString::fromStdString(reading.error), unitText(option.unit));
        // A plain number stays as typed; with a unit, the box is given the
        // number in the option's own unit.
        text = reading.unit ? exactDecimalText(*reading.value) : typed;
        return std::nullopt;
    }
    text = typed;
    if (const QString note = panelReadingNote(whereFrom(option, given, {}), typed, option); !note.isEmpty())
        notes << note;
    return std::nullopt;
}

// For what goes to a board: the texts of the three boxes, as the options or
// the settings file left them, each a number within what a board may be
// sent. A file's text is read strictly too: a number alone or with the box's
// own unit, which the window reads the same way ("2.4G" it reads as 2.4 MHz).
std::optional<QString> boardFrequencyError(const QCommandLineParser& parser, const Settings& s,
                                           const QString& settingsPath)
{
    for (const FrequencyOption& option : kFrequencyOptions) {
        const std::string& text = s.*option.text;
        const QString name = QString::fromLatin1(option.name);
        const bool fromOption = parser.isSet(name);
        const QString where = fromOption ? whereFrom(option, parser.value(name), {})
                                         : whereFrom(option, QString::fromStdString(text), settingsPath);
        const FrequencyReading reading = readFrequency(text, option.unit);
        if (!fromOption && (!reading.value || (reading.unit && *reading.unit != option.unit)))
            return QStringLiteral("%1 is not a number in %2, as the window's box holds it: the window reads it as "
                                  "%3 %2")
                .arg(where, unitText(option.unit), QString::fromStdString(plainNumber(readLeadingNumber(text))));
        const double value = reading.value.value_or(0);
        const bool aboveLow = option.lowIncluded ? value >= option.low : value > option.low;
        if (!aboveLow || value > option.high)
            return QStringLiteral("%1: give %2; nothing is sent").arg(where, QString::fromLatin1(option.what));
    }
    return std::nullopt;
}

} // namespace

QString echoed(const QString& text)
{
    return QString::fromLatin1(echoedText(text.toUtf8().toStdString(), kEchoedInputChars));
}

QString escaped(const QString& message)
{
    return QString::fromLatin1(echoedText(message.toUtf8().toStdString(), std::string::npos));
}

QString parseErrorText(const QCommandLineParser& parser)
{
    // The parser's own text quotes an unknown option as typed.
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return QStringLiteral("unknown option \"%1\"").arg(echoed(unknown.first()));
    return parser.errorText();
}

std::optional<int> wholeNumberIn(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<QString> helpOrVersionText(const QCommandLineParser& parser)
{
    if (parser.isSet(QStringLiteral("help")))
        return parser.helpText();
    if (parser.isSet(QStringLiteral("version")))
        return QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion()
               + QLatin1Char('\n');
    return std::nullopt;
}

QStringList addPlanOptions(QCommandLineParser& parser)
{
    QStringList valueNames;
    const auto add = [&parser, &valueNames](const QCommandLineOption& option) {
        parser.addOption(option);
        if (!option.valueName().isEmpty())
            valueNames << option.names();
    };
    const auto text = [&add](const char* name, const char* description, const char* fallback) {
        add(QCommandLineOption(QString::fromLatin1(name),
                                            QStringLiteral("%1 (default \"%2\").").arg(QString::fromUtf8(description),
                                                                                       QString::fromLatin1(fallback)),
                                            QStringLiteral("TEXT"), QString::fromLatin1(fallback)));
    };
    const auto flag = [&add](const char* name, const char* description) {
        add(QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description)));
    };
    const Settings defaults;
    text("fout", "Wanted output frequency in MHz", defaults.foutText.c_str());
    text("ref", "Reference input frequency in MHz", defaults.frText.c_str());
    text("rdiv", "Reference divider", defaults.rdividerText.c_str());
    text("resolution", "Output frequency resolution in Hz", defaults.resolutionText.c_str());
    add(QCommandLineOption(QStringLiteral("divider"),
                                        QStringLiteral("Output divider index K, 0..6: the divider is 2^K (default 0)."),
                                        QStringLiteral("K")));
    flag("auto-divider", "Choose the divider as \"Auto Set >>\" does: the smallest that puts the VCO "
                         "in 2200..4400 MHz (outputs of 35 to 4400 MHz; otherwise the divider stays).");
    flag("doubler", "Tick \"Ref Doubler\".");
    flag("no-doubler", "Clear \"Ref Doubler\" (of --doubler and --no-doubler the last given counts).");
    flag("halve", "Tick \"Ref Divide/2\".");
    flag("no-halve", "Clear \"Ref Divide/2\" (the last of --halve and --no-halve counts).");
    flag("divided-feedback", "Tick \"F/B from Divider\".");
    flag("prescaler45", "Clear \"Prescalar 8/9\" (prescaler 4/5).");
    flag("prescaler89", "Tick \"Prescalar 8/9\" (the default; the last of --prescaler45 and --prescaler89 "
                        "counts).");
    flag("int-n", "Tick \"Integer N\".");
    flag("no-int-n", "Clear \"Integer N\" (the last of --int-n and --no-int-n counts).");
    flag("low-spur", "Tick \"Low Spur mode\".");
    flag("negative-pd", "Tick \"-Ve Phase Detector\".");
    flag("disable", "Clear \"Chip Enable\".");
    flag("no-mute", "Clear \"Mute Until Lock Detect\".");
    add(QCommandLineOption(QStringLiteral("mux"),
                                        QStringLiteral("MUXOUT button to select: none, r, n or lock "
                                                       "(default: no button selected, MUXOUT code 0)."),
                                        QStringLiteral("none|r|n|lock")));
    add(QCommandLineOption(QStringLiteral("charge-pump"),
                                        QStringLiteral("Charge-pump current code, 0..15 (default 15)."),
                                        QStringLiteral("N")));
    add(QCommandLineOption(QStringLiteral("power"), QStringLiteral("Output power code, 0..3 (default 3)."),
                                        QStringLiteral("N")));
    // The chip options, every bit the panel's controls do not hold (the window's Chip menu).
    const auto value = [&add](const char* name, const char* valueName, const char* description) {
        add(QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                               QString::fromLatin1(valueName)));
    };
    flag("rf-off", "Chip option: switch the RF output off (Register 4, RF output enable); the chip stays powered.");
    value("aux", "on|off", "Chip option: the auxiliary RF output on or off (default off).");
    value("aux-power", "N", "Chip option: auxiliary output power code, 0..3 = -4, -1, +2, +5 dBm (default 0).");
    value("aux-select", "divided|fundamental", "Chip option: what the auxiliary output carries (default divided).");
    value("abp", "3|6", "Chip option: antibacklash pulse width in ns; 3 for integer-N (default 6).");
    flag("charge-cancel", "Chip option: charge cancellation on, for integer-N.");
    flag("csr", "Chip option: cycle slip reduction on; it needs --halve (Ref Divide/2).");
    value("ldp", "6|10", "Chip option: lock-detect precision in ns; 6 for integer-N (default 10).");
    flag("double-buffer", "Chip option: double buffer on: the RF divider select takes effect with Reg0.");
    value("phase", "N", "Chip option: the phase value, 0..4095, below MOD (default 1).");
    flag("phase-adjust", "Chip option: phase adjust on: no VCO band selection on a Reg0 write.");
    value("band-select-mode", "low|high", "Chip option: band-select clock mode; high allows 500 kHz with a "
                                          "divider of at most 254 (default low).");
    value("clock-divider-mode", "off|fast-lock|resync", "Chip option: clock divider mode (default off).");
    value("clock-divider", "N", "Chip option: clock divider value, 0..4095 (default 0).");
    value("ld-pin", "low|digital|high", "Chip option: lock-detect pin mode (default digital).");
    value("mux-code", "N", "Chip option: a MUXOUT code no --mux button offers, 1 DVdd, 2 DGND or 5 analog lock "
                           "detect; it clears the button, as in the window.");
    flag("counter-reset", "Chip option: counter reset on (R and N held in reset).");
    flag("three-state", "Chip option: charge pump three-state on.");
    flag("vco-off", "Chip option: VCO power-down on.");
    flag("follow-datasheet", "Set lock-detect precision, antibacklash and charge cancellation as the datasheet "
                             "recommends for the mode (6 ns, 3 ns, on with --int-n; 10 ns, 6 ns, off without), as "
                             "\"Follow the Datasheet for the Mode\" does when Integer N is ticked. The chip "
                             "options given override it.");
    add(QCommandLineOption(QStringLiteral("loop-bandwidth"),
                           QStringLiteral("The loop bandwidth of the board's loop filter, in kHz or with a unit "
                                          "(%1 to %2 kHz), for the plan quality figures: an integer-boundary spur "
                                          "closer than this is inside the loop. Assumed %3 kHz until given.")
                               .arg(QString::fromStdString(plainNumber(kMinLoopBandwidthKHz)),
                                    QString::fromStdString(plainNumber(kMaxLoopBandwidthKHz)),
                                    QString::fromStdString(plainNumber(kAssumedLoopBandwidthKHz))),
                           QStringLiteral("KHZ")));
    addLoopOptions(parser);
    valueNames << QStringLiteral("loop-filter") << QStringLiteral("kvco") << QStringLiteral("rset")
               << QStringLiteral("jitter-range");
    add(QCommandLineOption(QStringLiteral("force-d"),
                                        QStringLiteral("Type TEXT into \"Force Denom\" once the other settings are in "
                                                       "place: the resolution becomes the step of that denominator."),
                                        QStringLiteral("TEXT")));
    flag("best-fraction", "Press \"Calc. Best F/D\" after that: search the denominator whose fraction best "
                          "fits the wanted ratio and force it.");
    flag("json", "Print JSON: one object with the outcome, the plan values, the register words, the labels, "
                 "the listing, the warnings and the chip limits broken.");
    flag("strict", "Treat a complete plan that breaks a datasheet limit of the chip as a failure.");
    add(QCommandLineOption(QStringLiteral("settings"),
                           QStringLiteral("Start from the controls of a settings file the window saved (File, Save "
                                          "Settings As); options given after it override it, options for the "
                                          "same controls given before it are overridden by it."),
                           QStringLiteral("FILE")));
    return valueNames;
}

QStringList withoutOptionsBeforeSettings(const QStringList& arguments, const QStringList& valueOptions)
{
    // The options for controls a settings file holds.
    static const QStringList kFileControls = {
        QStringLiteral("fout"),         QStringLiteral("ref"),         QStringLiteral("rdiv"),
        QStringLiteral("resolution"),   QStringLiteral("divider"),     QStringLiteral("doubler"),
        QStringLiteral("halve"),        QStringLiteral("divided-feedback"), QStringLiteral("prescaler45"),
        QStringLiteral("int-n"),        QStringLiteral("low-spur"),    QStringLiteral("negative-pd"),
        QStringLiteral("no-doubler"),   QStringLiteral("no-halve"),    QStringLiteral("prescaler89"),
        QStringLiteral("no-int-n"),     QStringLiteral("loop-bandwidth"),
        QStringLiteral("disable"),      QStringLiteral("no-mute"),     QStringLiteral("mux"),
        QStringLiteral("charge-pump"),  QStringLiteral("power"),       QStringLiteral("port"),
        // The chip options: the file holds them too.
        QStringLiteral("rf-off"),       QStringLiteral("aux"),         QStringLiteral("aux-power"),
        QStringLiteral("aux-select"),   QStringLiteral("abp"),         QStringLiteral("charge-cancel"),
        QStringLiteral("csr"),          QStringLiteral("ldp"),         QStringLiteral("double-buffer"),
        QStringLiteral("phase"),        QStringLiteral("phase-adjust"), QStringLiteral("band-select-mode"),
        QStringLiteral("clock-divider-mode"), QStringLiteral("clock-divider"), QStringLiteral("ld-pin"),
        QStringLiteral("mux-code"),     QStringLiteral("counter-reset"), QStringLiteral("three-state"),
        QStringLiteral("vco-off"),
        // The loop filter's settings: the file holds them too.
        QStringLiteral("loop-filter"),  QStringLiteral("kvco"),        QStringLiteral("rset"),
        QStringLiteral("jitter-range"),
    };
    const auto optionName = [](const QString& argument) {
        return argument.startsWith(QLatin1String("--")) ? argument.mid(2).section(QLatin1Char('='), 0, 0) : QString();
    };
    qsizetype settingsAt = -1;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString name = optionName(arguments[i]);
        if (name == QLatin1String("settings"))
            settingsAt = i;
        if (valueOptions.contains(name) && !arguments[i].contains(QLatin1Char('=')))
            ++i; // its value
    }
    if (settingsAt < 0)
        return arguments;
    QStringList kept{arguments.value(0)};
    for (qsizetype i = 1; i < settingsAt; ++i) {
        const QString name = optionName(arguments[i]);
        const bool takesValue = valueOptions.contains(name) && !arguments[i].contains(QLatin1Char('='));
        const bool dropped = kFileControls.contains(name);
        if (!dropped)
            kept << arguments[i];
        if (takesValue && i + 1 < settingsAt) {
            ++i;
            if (!dropped)
                kept << arguments[i];
        }
    }
    return kept + arguments.mid(settingsAt);
}

std::optional<QString> readPlanOptions(const QCommandLineParser& parser, PlanRequest& request,
                                       FrequencyTexts frequencies, std::optional<bool> forceIntN)
{
    Settings& s = request.settings;
    const auto isSet = [&parser](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
    if (isSet("settings")) {
        const QString path = parser.value(QStringLiteral("settings"));
        const SettingsFileReading file = readSettingsFile(path);
        if (!file.settings)
            return QStringLiteral("--settings %1: %2").arg(echoed(path), escaped(file.error));
        s = file.settings->settings;
        request.portText = file.settings->portText;
        request.loopBandwidth = file.settings->loopBandwidth;
        request.loop = file.settings->loop;
    }
    if (std::optional<QString> loopError = readLoopOptions(parser, request))
        return loopError;
    if (isSet("loop-bandwidth")) {
        const QString text = parser.value(QStringLiteral("loop-bandwidth"));
        const FrequencyReading reading = readFrequency(text.toStdString(), FrequencyUnit::kHz);
        if (!reading.value || !isLoopBandwidth(*reading.value))
            return QStringLiteral("--loop-bandwidth \"%1\": give a bandwidth of %2 to %3 kHz, in kHz or with a unit")
                .arg(echoed(text), QString::fromStdString(plainNumber(kMinLoopBandwidthKHz)),
                     QString::fromStdString(plainNumber(kMaxLoopBandwidthKHz)));
        request.loopBandwidth.setKHz = *reading.value;
    }
    const auto text = [&parser, &isSet](const char* name, std::string& target) {
        if (isSet(name))
            target = parser.value(QString::fromLatin1(name)).toStdString();
    };
    for (const FrequencyOption& option : kFrequencyOptions) {
        if (!isSet(option.name)) {
            // A file's text the panel reads otherwise than it is written is said too.
            const QString note = frequencies == FrequencyTexts::AsTheBoxes && isSet("settings")
                ? panelReadingNote(whereFrom(option, QString::fromStdString(s.*option.text),
                                             parser.value(QStringLiteral("settings"))),
                                   s.*option.text, option)
                : QString();
            if (!note.isEmpty())
                request.notes << note;
            continue;
        }
        if (std::optional<QString> error = frequencyText(option, parser.value(QString::fromLatin1(option.name)),
                                                         frequencies, s.*option.text, request.notes))
            return error;
    }
    text("rdiv", s.rdividerText);

    QString error;
    if (isSet("divider") && isSet("auto-divider"))
        return QStringLiteral("--divider and --auto-divider exclude each other");
    const struct {
        IntOption option;
        int* target;
    } numbers[] = {
        {{QStringLiteral("divider"), 0, kMaxOutDivIndex}, &s.outDivCont},
        {{QStringLiteral("charge-pump"), 0, kMaxChargePump}, &s.chrgPump},
        {{QStringLiteral("power"), 0, kMaxPower}, &s.pwr},
    };
    for (const auto& number : numbers) {
        if (!parser.isSet(number.option.name))
            continue;
        const std::optional<int> value = readInt(parser, number.option, error);
        if (!value)
            return error;
        *number.target = *value;
    }
    request.presses.autoSet = isSet("auto-divider");

    // A flag changes its control only when given, so that settings read
    // from elsewhere keep what no option names; of two that undo each other
    // the last given counts, as the flags are taken in their order.
    const struct {
        const char* name;
        bool* target;
        bool value;
    } flags[] = {
        {"doubler", &s.refDbl, true},       {"halve", &s.refDiv2, true},     {"divided-feedback", &s.feedback, true},
        {"prescaler45", &s.prescale8, false}, {"int-n", &s.intN, true},      {"low-spur", &s.lowSpur, true},
        {"negative-pd", &s.pdPol, true},    {"disable", &s.enable, false}, {"no-mute", &s.mtld, false},
        {"no-doubler", &s.refDbl, false},   {"no-halve", &s.refDiv2, false}, {"prescaler89", &s.prescale8, true},
        {"no-int-n", &s.intN, false},
    };
    for (const QString& name : parser.optionNames()) {
        for (const auto& f : flags) {
            if (name == QLatin1String(f.name))
                *f.target = f.value;
        }
    }
    if (forceIntN)
        s.intN = *forceIntN;

    if (isSet("mux") && isSet(kMuxCodeOption))
        return QStringLiteral("--mux and --mux-code exclude each other: a code no button offers clears the buttons");
    if (isSet("mux")) {
        const QString mux = parser.value(QStringLiteral("mux"));
        const std::optional<MuxButton> button = muxButtonNamed(mux.toStdString());
        if (!button)
            return QStringLiteral("--mux %1: expected none, r, n or lock").arg(echoed(mux));
        s.mux = *button;
        // A button takes its own code back, as clicking it does.
        s.chip.muxCode.reset();
    }
    // The datasheet's choice for the mode first, so that the options given override it.
    if (isSet(kFollowOption))
        followDatasheetForMode(s.chip, s.intN);
    if (std::optional<QString> chipError = readChipOptions(parser, s))
        return chipError;
    if (isSet("force-d"))
        request.presses.forceD = parser.value(QStringLiteral("force-d")).toStdString();
    request.presses.bestFraction = isSet("best-fraction");
    if (request.presses.bestFraction && s.intN)
        return QStringLiteral("--best-fraction cannot be used with --int-n: "
                              "\"Calc. Best F/D\" is disabled in integer-N mode");
    request.json = isSet("json");
    request.strict = isSet("strict");
    if (frequencies == FrequencyTexts::WithUnits)
        return boardFrequencyError(parser, s, parser.value(QStringLiteral("settings")));
    return std::nullopt;
}

std::optional<RegisterSet> readDecodeWords(const QString& text, QString& error)
{
    // As Copy Register Set writes them (a line each, CR LF), or on one line.
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    const QStringList words = text.split(separators, Qt::SkipEmptyParts);
    if (words.size() != 6) {
        error = QStringLiteral("--decode %1: expected six words, Reg0 first, separated by commas, blanks or line ends")
                    .arg(echoed(text));
        return std::nullopt;
    }
    RegisterSet set{};
    for (qsizetype i = 0; i < words.size(); ++i) {
        QString word = words[i].trimmed();
        if (word.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            word = word.mid(2);
        const std::optional<std::uint32_t> value = parseHexWord(word.toStdString());
        if (!value) {
            error = QStringLiteral("--decode: word %1 \"%2\" is not one to eight hexadecimal digits")
                        .arg(i)
                        .arg(echoed(words[i]));
            return std::nullopt;
        }
        // Each word carries its register number; a word out of place means
        // the list is not Reg0 to Reg5 in order.
        if ((*value & 7u) != static_cast<std::uint32_t>(i)) {
            error = QStringLiteral("--decode: word %1 \"%2\" is a register %3 word; give Reg0 to Reg5 in order")
                        .arg(i)
                        .arg(words[i])
                        .arg(*value & 7u);
            return std::nullopt;
        }
        set[static_cast<std::size_t>(i)] = *value;
    }
    return set;
}

QStringList withAdviseCount(const QStringList& arguments)
{
    QStringList given = arguments;
    for (qsizetype i = 1; i < given.size(); ++i) {
        if (given[i] == QLatin1String("--"))
            break;
        if (given[i] != QLatin1String("--advise"))
            continue;
        // A number after it is its count, even one out of range, which is then refused as such.
        const bool counted = i + 1 < given.size()
                             && wholeNumberIn(given[i + 1], 0, std::numeric_limits<int>::max()).has_value();
        if (!counted)
            given[i] = QStringLiteral("--advise=%1").arg(kDefaultSuggestions);
    }
    return given;
}

QStringList withoutScanRange(const QStringList& arguments, QStringList& range)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        kept << arguments[i];
        if (i == 0)
            continue;
        if (arguments[i] == QLatin1String("--")) {
            kept << arguments.mid(i + 1);
            break;
        }
        if (arguments[i] != QLatin1String("--scan"))
            continue;
        range = arguments.mid(i + 1, 3);
        i += range.size();
    }
    return kept;
}

namespace {

// The scan's range from its three texts, each in MHz or with a unit, read
// as strictly as vantrel-ctl's sweep reads them; with the options that make
// no sense for it refused.
std::optional<QString> readScanRange(const QCommandLineParser& parser, const QStringList& texts, PlanRequest& request)
{
    if (texts.size() != 3)
        return QStringLiteral("--scan takes START STOP STEP, in MHz or with a unit");
    const char* const names[] = {"START", "STOP", "STEP"};
    double values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const FrequencyReading reading = readFrequency(texts[i].toStdString(), FrequencyUnit::MHz);
        if (!reading.value)
            return QStringLiteral("--scan: %1 \"%2\" %3: give a number, in MHz or with a unit (Hz, kHz, MHz, GHz; k, M, G)")
                .arg(QString::fromLatin1(names[i]), echoed(texts[i]), QString::fromStdString(reading.error));
        values[i] = *reading.value;
    }
    // Each point sets the output; the rest would be of one plan, not of a scan.
    for (const char* excluded : {"fout", "decode", "advise", "quality", "ee", "append", "block", "strict"}) {
        if (parser.isSet(QString::fromLatin1(excluded)))
            return QStringLiteral("--scan and --%1 exclude each other: the scan plans each point's output and "
                                  "prints one line per point with its figures and limits")
                .arg(QString::fromLatin1(excluded));
    }
    request.scan = FrequencyRange{values[0], values[1], values[2]};
    return std::nullopt;
}

} // namespace

ParsedCommandLine parsePlanCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Works out the frequency plan and the six register words of the synthesizer board, as the control "
        "panel does, and prints the results listing. Text options are read like the window's text boxes: "
        "the leading number counts and the rest is ignored (\"2320.5MHz\" reads 2320.5).\n\n"
        "Every datasheet limit the plan breaks is named on stderr (\"chip: ...\"), or in \"chip_limits\" "
        "with --json.\n\n"
        "Exit status: 0 a complete plan; 1 the plan stopped or was refused, or a file or standard output "
        "could not be written; 2 a usage error; 3 with --strict, a complete plan that breaks a chip limit."));
    parser.addOption(QCommandLineOption(
        QStringLiteral("quality"),
        QStringLiteral("Print the plan quality figures after the listing: in-band noise, the integer-boundary, "
                       "fractional and PFD spurs, the loop bandwidth (estimates from the datasheet). --json always "
                       "holds them in \"quality\".")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("advise"),
        QStringLiteral("[N] Search every plan the panel could give for the same output, reference and step with "
                       "another Ref Doubler, Ref Divide/2, Ref Divider, prescaler or Integer N, and print the best "
                       "N (default %1, at most %2), each with what changes, its error, its figures and the options "
                       "that give it when added after the others (\"suggestions\" with --json).")
            .arg(kDefaultSuggestions)
            .arg(kMostSuggestions),
        QStringLiteral("N")));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    parser.addOption(help);
    parser.addVersionOption();
    QStringList valueOptions = addPlanOptions(parser);
    valueOptions << QStringLiteral("decode") << QStringLiteral("append") << QStringLiteral("block")
                 << QStringLiteral("advise");
    parser.addOption(QCommandLineOption(
        QStringLiteral("scan"),
        QStringLiteral("START STOP STEP: plan every output from START to STOP by STEP (MHz, or with a unit as "
                       "2.4G or 100k; STEP may be negative), each as a sweep step is planned, and print one CSV "
                       "line per point after a header: %1. With --json, one JSON object per line with the same "
                       "keys. At most %2 points. Give the other options as for one plan; --auto-divider presses "
                       "\"Auto Set >>\" at each point.")
            .arg(QString::fromLatin1(kBandScanColumns))
            .arg(kMaxSweepPoints)));
    parser.addOption(QCommandLineOption(
        QStringLiteral("decode"),
        QStringLiteral("Decode six register words as \"INIT from EE\" loads a set read back from the board: the "
                       "other options give the controls as they stand before (the reference above all, which the "
                       "words do not hold); prints the plan the window then shows. WORDS are Reg0 to Reg5, "
                       "hexadecimal with or without 0x, separated by commas, blanks or line ends, as Copy Register Set "
                       "writes them."),
        QStringLiteral("WORDS")));
    addEeOptions(parser);
    addDesignOptions(parser);
    valueOptions << QStringLiteral("design-loop-filter") << QStringLiteral("phase-margin") << QStringLiteral("gamma")
                 << QStringLiteral("t31");

    ParsedCommandLine parsed;
    const auto fail = [&parsed](const QString& error) {
        parsed.message = error;
        parsed.usageError = true;
        return parsed;
    };
    QStringList scanRange;
    const QStringList given = withoutScanRange(arguments, scanRange);
    if (!parser.parse(withoutOptionsBeforeSettings(withAdviseCount(given), valueOptions)))
        return fail(parseErrorText(parser));
    if (std::optional<QString> text = helpOrVersionText(parser)) {
        parsed.message = *text;
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument: %1").arg(echoed(parser.positionalArguments().first())));

    PlanRequest request;
    if (const std::optional<QString> error = readPlanOptions(parser, request))
        return fail(*error);
    if (parser.isSet(QStringLiteral("decode"))) {
        QString error;
        request.decode = readDecodeWords(parser.value(QStringLiteral("decode")), error);
        if (!request.decode)
            return fail(error);
    }
    if (const std::optional<QString> eeError = readEeOptions(parser, request.ee))
        return fail(*eeError);
    request.quality = parser.isSet(QStringLiteral("quality"));
    if (const std::optional<QString> designError = readDesignOptions(parser, request))
        return fail(*designError);
    if (parser.isSet(QStringLiteral("scan"))) {
        if (const std::optional<QString> scanError = readScanRange(parser, scanRange, request))
            return fail(*scanError);
    }
    if (parser.isSet(QStringLiteral("advise"))) {
        const QString count = parser.value(QStringLiteral("advise"));
        const std::optional<int> n = wholeNumberIn(count, 1, kMostSuggestions);
        if (!n)
            return fail(QStringLiteral("--advise %1: expected a whole number from 1 to %2").arg(echoed(count)).arg(kMostSuggestions));
        if (request.decode)
            return fail(QStringLiteral("--advise and --decode exclude each other: a suggestion's options change the "
                                       "options given, and a decoded set replaces them"));
        if (request.ee.any())
            return fail(QStringLiteral("--advise and the PIC EE Data options exclude each other: the listing is of "
                                       "the plan given"));
        request.advise = *n;
        // What ticking or clearing Integer N leaves of the chip options:
        // the options read again as if --no-int-n or --int-n came last.
        for (const bool intN : {false, true}) {
            PlanRequest moded;
            readPlanOptions(parser, moded, FrequencyTexts::AsTheBoxes, intN);
            request.chipForMode[intN ? 1 : 0] = moded.settings.chip;
        }
    }
    parsed.request = request;
    return parsed;
}

} // namespace vantrel
