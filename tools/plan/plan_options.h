// The plan options: what the window's controls would hold and the button
// presses to make once they are in place. vantrel-plan and vantrel-ctl take
// the same options through addPlanOptions and readPlanOptions.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string>

#include "band_scan.h"
#include "chip_options.h"
#include "ee_options.h"
#include "loop_figures.h"
#include "plan_advisor.h"
#include "plan_quality.h"
#include "plan_session.h"
#include "register_layout.h"
#include "settings.h"

class QCommandLineParser;

namespace vantrel {

// The most suggestions --advise prints.
constexpr int kMostSuggestions = 50;

// How the frequency options (--fout, --ref, --resolution) are read.
enum class FrequencyTexts {
    // As the window's boxes read them: the leading number, the rest ignored,
    // an empty text as 0; a text that holds more than a number and its own
    // unit is noted.
    AsTheBoxes,
    // A number with an optional unit (Hz, kHz, MHz, GHz; k, M, G); anything
    // else is a usage error. For the programs that send to a board, so an
    // output or reference below 1 kHz, a step of 0 Hz or less or above 4400
    // MHz is one too, and a settings file's text must be a number alone (or
    // with the box's own unit), as the window reads it.
    WithUnits,
};

struct PlanRequest {
    Settings settings;
    std::string portText;               // the COM box's text from --settings; empty otherwise
    Presses presses;
    bool json = false;
    std::optional<RegisterSet> decode;  // vantrel-plan --decode: the words to load after that
    bool strict = false;                // exit 3 for a complete plan that breaks a chip limit
    EeRequest ee;                      // "PIC EE Data" and the register listing file
    QStringList notes;                  // what the options were taken as, when it may surprise
    LoopBandwidth loopBandwidth;        // --loop-bandwidth, or the settings file's
    bool quality = false;               // vantrel-plan --quality: the figures after the listing
    int advise = 0;                     // vantrel-plan --advise N: how many suggestions; 0 for none
    std::optional<FrequencyRange> scan;      // vantrel-plan --scan START STOP STEP
    LoopSettings loop;                  // --loop-filter, --kvco, --rset, --jitter-range, or the settings file's
    std::optional<DesignTarget> design; // vantrel-plan --design-loop-filter
    bool noiseCurve = false;            // vantrel-plan --noise-curve
    // For --advise: the chip options the settings get with Integer N cleared
    // [0] or ticked [1] by an option given after the others.
    std::array<ChipOptions, 2> chipForMode;
};

struct ParsedCommandLine {
    std::optional<PlanRequest> request; // absent: help was asked for, or a usage error
    QString message;                    // help text or the usage error
    bool usageError = false;
};

// Input written back in a message: bytes outside printable ASCII as \xHH,
// cut after kEchoedInputChars characters with "...".
QString echoed(const QString& text);
// A message that holds what was typed or read (a port's path, a settings
// file's member), each byte outside printable ASCII escaped, not cut.
QString escaped(const QString& message);

// Why the command line could not be parsed, with an unknown option echoed.
QString parseErrorText(const QCommandLineParser& parser);

// An option's text as a whole number from low to high; nothing otherwise.
std::optional<int> wholeNumberIn(const QString& text, int low, int high);

// What --help or --version asks to print (the parser has a "help" and a
// "version" option), or nothing.
std::optional<QString> helpOrVersionText(const QCommandLineParser& parser);

// The control and press options, --json and --strict; returns the names of
// those that take a value.
QStringList addPlanOptions(QCommandLineParser& parser);
// Applies the options that are given onto request (its settings keep what
// no option names); a usage error when one is out of its range. Of two
// flags that undo each other (--doubler and --no-doubler) the last given
// wins, so that options added after others override them. `forceIntN`
// reads the options as if --int-n (true) or --no-int-n (false) came last.
std::optional<QString> readPlanOptions(const QCommandLineParser& parser, PlanRequest& request,
                                       FrequencyTexts frequencies = FrequencyTexts::AsTheBoxes,
                                       std::optional<bool> forceIntN = std::nullopt);

// Six words "W0,W1,...,W5", Reg0 first, hexadecimal with or without "0x",
// separated by commas, blanks or line ends (Copy Register Set writes a
// "0x..." line each); nothing, with `error` naming the bad word, otherwise.
std::optional<RegisterSet> readDecodeWords(const QString& text, QString& error);

// A settings file stands for the controls it holds: the options for those
// controls given before --settings are left out, so that the file overrides
// them and the options after it override the file.
QStringList withoutOptionsBeforeSettings(const QStringList& arguments, const QStringList& valueOptions);

// "--advise" with no number after it takes the default count: the
// arguments with its value made explicit ("--advise=5").
QStringList withAdviseCount(const QStringList& arguments);

// "--scan" takes three values, START STOP STEP, which may begin with "-" (a
// negative step): the arguments with the three taken out, and them in
// `range`; fewer than three after it leave `range` short.
QStringList withoutScanRange(const QStringList& arguments, QStringList& range);

// vantrel-plan's whole command line.
ParsedCommandLine parsePlanCommandLine(const QStringList& arguments);

} // namespace vantrel
