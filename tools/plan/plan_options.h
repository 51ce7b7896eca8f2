// The plan options: what the window's controls would hold and the button
// presses to make once they are in place. vantrel-plan and vantrel-ctl take
// the same options through addPlanOptions and readPlanOptions.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

#include "ee_options.h"
#include "plan_session.h"
#include "register_layout.h"
#include "settings.h"

class QCommandLineParser;

namespace vantrel {

// How the frequency options (--fout, --ref, --resolution) are read.
enum class FrequencyTexts {
    // As the window's boxes read them: the leading number, the rest ignored,
    // an empty text as 0; a text that holds more than a number and its own
    // unit is noted.
    AsTheBoxes,
    // A number with an optional unit (Hz, kHz, MHz, GHz; k, M, G); anything
    // else is a usage error. For the programs that send to a board.
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
};

struct ParsedCommandLine {
    std::optional<PlanRequest> request; // absent: help was asked for, or a usage error
    QString message;                    // help text or the usage error
    bool usageError = false;
};

// An option's text as a whole number from low to high; nothing otherwise.
std::optional<int> wholeNumberIn(const QString& text, int low, int high);

// What --help or --version asks to print (the parser has a "help" and a
// "version" option), or nothing.
std::optional<QString> helpOrVersionText(const QCommandLineParser& parser);

// The control and press options, --json and --strict; returns the names of
// those that take a value.
QStringList addPlanOptions(QCommandLineParser& parser);
// Applies the options that are given onto request (its settings keep what
// no option names); a usage error when one is out of its range.
std::optional<QString> readPlanOptions(const QCommandLineParser& parser, PlanRequest& request,
                                       FrequencyTexts frequencies = FrequencyTexts::AsTheBoxes);

// Six words "W0,W1,...,W5", Reg0 first, hexadecimal with or without "0x";
// nothing, with `error` naming the bad word, otherwise.
std::optional<RegisterSet> readDecodeWords(const QString& text, QString& error);

// A settings file stands for the controls it holds: the options for those
// controls given before --settings are left out, so that the file overrides
// them and the options after it override the file.
QStringList withoutOptionsBeforeSettings(const QStringList& arguments, const QStringList& valueOptions);

// vantrel-plan's whole command line.
ParsedCommandLine parsePlanCommandLine(const QStringList& arguments);

} // namespace vantrel
