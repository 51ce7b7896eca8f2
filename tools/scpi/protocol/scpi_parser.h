// Reading one SCPI program message (a line without its line end) into the
// commands it holds: headers in their short or long form in any case, the
// optional nodes, ";" between commands with the header path carried over,
// "?" queries, and each parameter checked and converted for its command:
// frequencies with HZ, KHZ, MHZ or GHZ (none: Hz), seconds, dBm, ON|OFF,
// MINimum|MAXimum. Plain C++, so that it can be table-tested and fuzzed.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scpi_errors.h"

namespace vantrel::scpi {

enum class Command {
    Identify,      // *IDN?
    Reset,         // *RST
    ClearStatus,   // *CLS
    EventEnable,   // *ESE, *ESE?
    EventStatus,   // *ESR?
    OperationComplete, // *OPC, *OPC?
    Wait,          // *WAI
    StatusByte,    // *STB?
    SystemError,   // SYSTem:ERRor[:NEXT]?
    SystemVersion, // SYSTem:VERSion?
    Frequency,     // [SOURce:]FREQuency[:CW|:FIXed]
    FrequencyMode, // [SOURce:]FREQuency:MODE
    SweepStart,    // [SOURce:]FREQuency:STARt
    SweepStop,     // [SOURce:]FREQuency:STOP
    SweepStep,     // [SOURce:]FREQuency:STEP
    Reference,     // [SOURce:]ROSCillator:EXTernal:FREQuency
    Power,         // [SOURce:]POWer[:LEVel][:IMMediate][:AMPLitude]
    Output,        // OUTPut[:STATe]
    SweepDwell,    // [SOURce:]SWEep:DWELl
    SweepPoints,   // [SOURce:]SWEep:POINts
    SweepChanged,  // [SOURce:]SWEep:CHANged, SYSTem:CHANged
    ListFrequency, // [SOURce:]LIST:FREQuency
    ListDwell,     // [SOURce:]LIST:DWELl
    Initiate,      // INITiate[:IMMediate]
    Continuous,    // INITiate:CONTinuous, [SOURce:]SWEep:CONTinuous[:STATe]
    Abort,         // ABORt
    ChipLimits,    // SYSTem:CHIP:LIMits?
    ChipStrict,    // SYSTem:CHIP:STRict
    Registers,     // SYSTem:REGister
    MemoryStore,   // MEMory:STORe
    MemoryRecall,  // MEMory:RECall
    SelfTest,      // *TST?
    ServiceEnable, // *SRE, *SRE?
    OperationEvent,         // STATus:OPERation[:EVENt]?
    OperationCondition,     // STATus:OPERation:CONDition?
    OperationEnable,        // STATus:OPERation:ENABle
    QuestionableEvent,      // STATus:QUEStionable[:EVENt]?
    QuestionableCondition,  // STATus:QUEStionable:CONDition?
    QuestionableEnable,     // STATus:QUEStionable:ENABle
    StatusPreset,           // STATus:PRESet
    BoardHolds,             // SYSTem:BOARd?
    FrequencyCenter,        // [SOURce:]FREQuency:CENTer
    FrequencySpan,          // [SOURce:]FREQuency:SPAN
    ListFrequencyAppend,    // [SOURce:]LIST:FREQuency:APPend
    ListFrequencyPoints,    // [SOURce:]LIST:FREQuency:POINts?
    ListDwellAppend,        // [SOURce:]LIST:DWELl:APPend
    ListDwellPoints,        // [SOURce:]LIST:DWELl:POINts?
    SweepGeneration,        // [SOURce:]SWEep:GENeration STEP: the only kind
    SweepTrigger,           // [SOURce:]SWEep:MODE AUTO: each step after its dwell
};

enum class Mode { Cw, Sweep, List };

// One parameter, converted for its command.
struct Value {
    enum class Kind { Number, Minimum, Maximum, Flag, Mode };
    Kind kind = Kind::Number;
    // A frequency in MHz, a time in seconds, a level in dBm, a whole number.
    double number = 0;
    bool flag = false; // ON|OFF, 1|0
    Mode mode = Mode::Cw;
};

struct ProgramUnit {
    Command command = Command::Identify;
    bool query = false;
    std::vector<Value> values;
    std::string text;   // SYSTem:REGister: its parameters as typed
    std::string header; // as typed, for messages
};

// The commands of the line up to the first one that cannot be read; error
// says why that one could not (its number and text), and the rest of the
// line is not read.
struct ParsedLine {
    std::vector<ProgramUnit> units;
    std::optional<Error> error;
};

ParsedLine parseLine(std::string_view line);

// What each command takes, for the help text: its header pattern, what the
// command form takes ("<freq>[HZ|KHZ|MHZ|GHZ]|MIN|MAX"; absent when there is
// no command form) and what the query form takes (absent when there is no
// query; empty when it takes nothing).
struct CommandForm {
    Command command;
    std::string_view pattern; // "[SOURce:]FREQuency[:CW|:FIXed]"
    std::optional<std::string_view> set;
    std::optional<std::string_view> query;
};
std::vector<CommandForm> commandForms();

// A frequency in MHz as the shortest decimal text of it in Hz, rounded to
// 1 mHz so that no binary noise shows: 2320.5 -> "2320500000",
// 1000.0024999999999 -> "1000002500".
std::string hertzText(double mhz);
// A whole number as text: -4 -> "-4".
std::string wholeText(long long value);
// Seconds as the shortest decimal text: 0.25 -> "0.25".
std::string decimalText(double value);

} // namespace vantrel::scpi
