// The instrument's error numbers with their standard texts, and its error
// queue: oldest first, at most kCapacity entries, the last place taken by
// "Queue overflow" when more arrive than it holds. Plain C++.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace vantrel::scpi {

// The numbers this server reports (IEEE 488.2 and SCPI-1999 chapter 21).
namespace error {
inline constexpr int kNone = 0;
inline constexpr int kCommand = -100;
inline constexpr int kSyntax = -102;
inline constexpr int kDataType = -104;
inline constexpr int kParameterNotAllowed = -108;
inline constexpr int kMissingParameter = -109;
inline constexpr int kUndefinedHeader = -113;
inline constexpr int kInvalidSuffix = -131;
inline constexpr int kInitIgnored = -213;
inline constexpr int kSettingsConflict = -221;
inline constexpr int kDataOutOfRange = -222;
inline constexpr int kIllegalParameterValue = -224;
inline constexpr int kOutOfMemory = -225;
inline constexpr int kSystem = -310;
inline constexpr int kQueueOverflow = -350;
inline constexpr int kInputBufferOverrun = -363;
} // namespace error

struct Error {
    int code = error::kNone;
    std::string info; // what went wrong, in this program's words; may be empty
};

// "Data out of range" for -222; empty for a number this server never reports.
std::string_view errorText(int code);

// The answer to SYSTem:ERRor?: -222,"Data out of range;VCO 100 MHz below 2200"
// with a quote inside doubled, a byte outside printable 7-bit ASCII written
// \xHH, the quoted text at most 255 characters.
std::string errorResponse(const Error& error);

// The bit of the standard event status register an error sets: 5 command
// error (-1xx), 4 execution error (-2xx), 3 device-dependent error (-3xx),
// 2 query error (-4xx); -1 for none.
int eventStatusBit(int code);

class ErrorQueue {
public:
    static constexpr std::size_t kCapacity = 20;

    // A full queue keeps its oldest entries and replaces the newest by -350,
    // so that the reader learns that errors were lost.
    void push(Error error);
    // The oldest entry, or 0,"No error".
    Error pop();
    void clear() { m_errors.clear(); }
    bool empty() const { return m_errors.empty(); }
    std::size_t size() const { return m_errors.size(); }

private:
    std::deque<Error> m_errors;
};

} // namespace vantrel::scpi
