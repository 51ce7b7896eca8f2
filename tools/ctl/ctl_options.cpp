#include "ctl_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include "frequency_units.h"
#include "sweep_points.h"

namespace vantrel {
namespace {

constexpr QChar kNegativeMark(0x01);

// QCommandLineParser reads "-0.5" as three short options; a negative STEP
// is marked as a plain argument first, unless it is an option's value. So
// are "-inf" and "-nan", which are then refused as numbers, not as options.
QStringList markNegativeNumbers(const QStringList& arguments, const QStringList& valueOptions)
{
    static const QRegularExpression negative(QStringLiteral("^-(\\.?[0-9]|inf|nan)"),
                                             QRegularExpression::CaseInsensitiveOption);
    QStringList marked;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const QString previous = i > 0 ? arguments[i - 1] : QString();
        const bool isValue = previous.startsWith(QLatin1String("--")) && !previous.contains(QLatin1Char('='))
                             && valueOptions.contains(previous.mid(2));
        marked << (i > 0 && !isValue && negative.match(argument).hasMatch() ? kNegativeMark + argument : argument);
    }
    return marked;
}

QString unmarked(QString text)
{
    if (text.startsWith(kNegativeMark))
        text.remove(0, 1);
    return text;
}


} // namespace

ParsedCtlCommandLine parseCtlCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Drives the synthesizer board over its serial port, with the control panel's own plan, pacing and "
        "decode.\n\n"
        "Commands:\n"
        "  set [plan options]          plan as vantrel-plan does, then send the set as \"Set all Registers\"\n"
        "  store [plan options]        the same with \"Write EE\": each word followed by a store line\n"
        "  read --ref TEXT             ask the board for its stored set (\"INIT from EE\") and print the plan\n"
        "                              the window then shows; the words decide every control but the\n"
        "                              reference, so the other plan options are refused\n"
        "  sweep START STOP STEP       plan and send each frequency in MHz from START to STOP (STEP may be\n"
        "                              negative)\n"
        "  hop FILE                    plan and send each frequency of FILE (a regular file, or - for\n"
        "                              standard input, of at most 100001 lines and 16 MiB): one in MHz a\n"
        "                              line, optionally \", MS\" for that line's dwell; blank lines and \"#\"\n"
        "                              comments allowed\n\n"
        "Frequencies (--fout, --ref, START, STOP, STEP and hop lines) are in MHz and --resolution in Hz,\n"
        "or take a unit: Hz, kHz, MHz, GHz, or k, M, G, in any case, with or without a blank (2.4G,\n"
        "\"100 kHz\"). Anything else after the number is a usage error, and nothing is sent.\n\n"
        "A sweep or hop plans every step before anything is sent; the dwell runs from a step's first line\n"
        "to the next step's first line, and a step never starts before the lines and pauses of the one\n"
        "before are done. Ctrl-C (or SIGTERM, SIGHUP, Ctrl-\\ SIGQUIT, a closed standard output) ends it once\n"
        "the step in flight has gone out whole, Reg0 last; set and store finish their set. A second signal\n"
        "ends at once.\n\n"
        "Exit status: 0 done; 1 a plan that stopped or was refused (nothing sent), a bad step or hop list,\n"
        "a port that could not be opened or was lost, or standard output that could not be written; 2 a\n"
        "usage error (a range that is none, an output or reference below 1 kHz among them); 3 with --strict,\n"
        "a set or store whose plan breaks a chip limit (nothing sent); 4 no register set came back in time;\n"
        "5 the set read back is not a whole set of registers 0 to 5 (an erased EEPROM), gives no plan, or\n"
        "its plan stops; 128 + the signal's number when stopped by one: 129 SIGHUP, 130 SIGINT (Ctrl-C),\n"
        "131 SIGQUIT (Ctrl-\\), 143 SIGTERM."));
    parser.addVersionOption();
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    parser.addOption(help);
    QStringList valueOptions = addPlanOptions(parser);
    const auto valueOption = [&parser, &valueOptions](const char* name, const char* description, const char* value) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                                            QString::fromLatin1(value)));
        valueOptions << QString::fromLatin1(name);
    };
    const auto flag = [&parser](const char* name, const char* description) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description)));
    };
    valueOption("port", "The board's serial port: a number picks the n-th port --list-ports shows (COMn on "
                        "Windows); a text starting with \"/\" is a device path.", "PORT");
    flag("list-ports", "Print the numbered list of serial ports and exit.");
    valueOption("dwell", "Sweep and hop: the time from a step's first line to the next step's, in ms (default 0: "
                         "as soon as the lines and their pauses are done).", "MS");
    valueOption("repeat", "Sweep and hop: go through the steps N times (default 1).", "N");
    flag("loop", "Sweep and hop: go through the steps until Ctrl-C.");
    flag("changed-only", "Sweep and hop: after the first step, send only the words that differ from the step "
                         "before, Reg0 always last.");
    flag("skip-bad", "Sweep and hop: report a step whose plan fails and go on without it, instead of "
                     "ending before anything is sent.");
    flag("dry-run", "Sweep and hop: print the steps and the lines each would send, without opening a port.");
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("set, store, read, sweep or hop."));

    ParsedCtlCommandLine parsed;
    const auto fail = [&parsed](const QString& error) {
        parsed.message = error;
        parsed.usageError = true;
        return parsed;
    };
    if (!parser.parse(markNegativeNumbers(withoutOptionsBeforeSettings(arguments, valueOptions), valueOptions)))
        return fail(parseErrorText(parser));
    if (std::optional<QString> text = helpOrVersionText(parser)) {
        parsed.message = *text;
        return parsed;
    }

    CtlRequest request;
    if (const std::optional<QString> error = readPlanOptions(parser, request.plan, FrequencyTexts::WithUnits))
        return fail(*error);
    // The port a settings file names serves when none is given.
    request.port = parser.isSet(QStringLiteral("port")) ? parser.value(QStringLiteral("port"))
                                                        : QString::fromStdString(request.plan.portText);
    QStringList positional;
    for (const QString& argument : parser.positionalArguments())
        positional << unmarked(argument);

    if (parser.isSet(QStringLiteral("list-ports"))) {
        if (!positional.isEmpty())
            return fail(QStringLiteral("--list-ports takes no command"));
        request.command = CtlRequest::Command::ListPorts;
        parsed.request = request;
        return parsed;
    }
    if (positional.isEmpty())
        return fail(QStringLiteral("no command: give set, store, read, sweep or hop"));
    const QString command = positional.takeFirst();
    const auto expectArguments = [&](qsizetype count, const char* what) -> std::optional<QString> {
        if (positional.size() != count)
            return QStringLiteral("%1 takes %2").arg(command, QString::fromLatin1(what));
        return std::nullopt;
    };
    std::optional<QString> error;
    if (command == QLatin1String("set")) {
        request.command = CtlRequest::Command::Set;
        error = expectArguments(0, "no arguments");
    } else if (command == QLatin1String("store")) {
        request.command = CtlRequest::Command::Store;
        error = expectArguments(0, "no arguments");
    } else if (command == QLatin1String("read")) {
        request.command = CtlRequest::Command::Read;
        error = expectArguments(0, "no arguments");
        // The words do not hold the reference: the decode needs the board's.
        if (!error && !parser.isSet(QStringLiteral("ref")))
            error = QStringLiteral("read needs --ref: the board's reference in MHz, which its words do not hold");
    } else if (command == QLatin1String("sweep")) {
        request.command = CtlRequest::Command::Sweep;
        error = expectArguments(3, "START STOP STEP, in MHz or with a unit");
        const char* const names[] = {"START", "STOP", "STEP"};
        double* const targets[] = {&request.start, &request.stop, &request.step};
        for (int i = 0; i < 3 && !error; ++i) {
            const FrequencyReading reading = readFrequency(positional[i].toStdString(), FrequencyUnit::MHz);
            if (reading.value)
                *targets[i] = *reading.value;
            else if (reading.error == "is not a number")
                error = QStringLiteral("sweep: %1 is not a number (\"%2\")").arg(QString::fromLatin1(names[i]), echoed(positional[i]));
            else
                error = QStringLiteral("sweep: %1 \"%2\" %3: give a number, in MHz or with a unit (Hz, kHz, MHz, GHz; k, M, G)")
                            .arg(QString::fromLatin1(names[i]), echoed(positional[i]), QString::fromStdString(reading.error));
            // The bounds are outputs for the board; the step may be anything a range allows.
            if (!error && i < 2 && *targets[i] < kMinBoardFrequencyMHz)
                error = QStringLiteral("sweep: %1 \"%2\": give an output of at least 1 kHz; nothing is sent")
                            .arg(QString::fromLatin1(names[i]), echoed(positional[i]));
        }
    } else if (command == QLatin1String("hop")) {
        request.command = CtlRequest::Command::Hop;
        error = expectArguments(1, "one hop file, or - for standard input");
        if (!error)
            request.hopFile = positional[0];
    } else {
        error = QStringLiteral("unknown command \"%1\": give set, store, read, sweep or hop").arg(echoed(command));
    }
    if (error)
        return fail(*error);

    const bool sweeping = request.command == CtlRequest::Command::Sweep || request.command == CtlRequest::Command::Hop;
    for (const char* name : {"dwell", "repeat", "loop", "changed-only", "skip-bad", "dry-run"}) {
        if (parser.isSet(QString::fromLatin1(name)) && !sweeping)
            return fail(QStringLiteral("--%1 is for sweep and hop").arg(QString::fromLatin1(name)));
    }
    if (request.command == CtlRequest::Command::Read) {
        // The words read back decide every control but the reference; an
        // option for one would be overwritten unseen, or print a plan of
        // its own where the words give none.
        static const QStringList kNotDecided{QStringLiteral("ref"),    QStringLiteral("port"),
                                             QStringLiteral("settings"), QStringLiteral("json"),
                                             QStringLiteral("strict"), QStringLiteral("loop-bandwidth")};
        QStringList decided;
        for (const QString& name : parser.optionNames()) {
            const QString option = QStringLiteral("--") + name;
            if (!kNotDecided.contains(name) && !decided.contains(option))
                decided << option;
        }
        if (!decided.isEmpty())
            return fail(QStringLiteral("read takes the plan from the board's words, which decide %1: give --ref, "
                                       "the board's reference, and the port")
                            .arg(decided.join(QStringLiteral(", "))));
    }
    if (parser.isSet(QStringLiteral("dwell"))) {
        const std::optional<int> ms =
            wholeNumberIn(parser.value(QStringLiteral("dwell")), 0, static_cast<int>(kMaxDwell.count()));
        if (!ms)
            return fail(QStringLiteral("--dwell %1: expected whole milliseconds from 0 to %2")
                            .arg(echoed(parser.value(QStringLiteral("dwell"))))
                            .arg(kMaxDwell.count()));
        request.dwell = std::chrono::milliseconds(*ms);
    }
    if (parser.isSet(QStringLiteral("repeat")) && parser.isSet(QStringLiteral("loop")))
        return fail(QStringLiteral("--repeat and --loop exclude each other"));
    if (parser.isSet(QStringLiteral("repeat"))) {
        constexpr int kMostPasses = 1000000;
        const std::optional<int> passes = wholeNumberIn(parser.value(QStringLiteral("repeat")), 1, kMostPasses);
        if (!passes)
            return fail(QStringLiteral("--repeat %1: expected a whole number from 1 to %2")
                            .arg(echoed(parser.value(QStringLiteral("repeat"))))
                            .arg(kMostPasses));
        request.passes = *passes;
    }
    if (parser.isSet(QStringLiteral("loop")))
        request.passes = 0;
    request.changedOnly = parser.isSet(QStringLiteral("changed-only"));
    request.skipBad = parser.isSet(QStringLiteral("skip-bad"));
    request.dryRun = parser.isSet(QStringLiteral("dry-run"));
    if (request.port.isEmpty() && !request.dryRun)
        return fail(QStringLiteral("%1 needs --port (or a settings file that names one)").arg(command));
    parsed.request = request;
    return parsed;
}

} // namespace vantrel
