// vantrel-core-check: the Qt-free core on random settings, one line per case,
// the same on every platform and compiler. The Windows build's output, run
// under Wine, is compared byte for byte with the native one (./test.sh).
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "case_line.h"
#include "line_text.h"
#include "register_file.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFaults = 1;
constexpr int kExitUsage = 2;

constexpr std::uint64_t kDefaultCount = 2000;
constexpr std::uint64_t kDefaultSeed = 1;

constexpr std::string_view kHelp =
    "Usage: vantrel-core-check [--count N] [--seed S] [--register-file FILE]\n"
    "\n"
    "Runs the Qt-free core (the plan, the chip check, the decode of a register\n"
    "set, the EE listing, the register-set text and the reply parser) on N\n"
    "random settings (default 2000) drawn from seed S (default 1), and prints\n"
    "one line per case, ended by LF alone on every platform. The same N and S\n"
    "give the same bytes on every platform and compiler. A case's settings are\n"
    "printed as vantrel-plan options, so that it can be run again on its own.\n"
    "\n"
    "--register-file FILE appends each case's EE listing to FILE as a numbered\n"
    "block, as the window's \"PIC EE Data\" button does.\n"
    "\n"
    "Exit status: 0 when done, 1 when the core got a case wrong whatever the\n"
    "platform (each such case is named on stderr) or the register file could\n"
    "not be written, 2 for a usage error.\n";

void write(std::FILE* stream, std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream); }

int usageError(const std::string& message)
{
    write(stderr, "vantrel-core-check: " + message + "\nTry 'vantrel-core-check --help'.\n");
    return kExitUsage;
}

std::optional<std::uint64_t> wholeNumber(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

struct Options {
    std::uint64_t count = kDefaultCount;
    std::uint64_t seed = kDefaultSeed;
    std::optional<std::string> registerFile;
    bool help = false;
};

// The options, or the usage error that names what is wrong. A value follows
// its option as the next argument or after "=".
std::optional<std::string> readOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        const std::string_view name = argument.substr(0, argument.find('='));
        if (name != "--count" && name != "--seed" && name != "--register-file")
            return "unknown option \"" + std::string(argument) + "\"";
        std::string_view value;
        if (name.size() < argument.size())
            value = argument.substr(name.size() + 1);
        else if (i + 1 < argc)
            value = argv[++i];
        else
            return std::string(name) + " needs a value";

        if (name == "--register-file") {
            if (value.empty())
                return "--register-file needs a file name";
            options.registerFile = std::string(value);
            continue;
        }
        const std::optional<std::uint64_t> number = wholeNumber(value);
        if (!number)
            return std::string(name) + " " + std::string(value) + ": expected a whole number from 0 to 18446744073709551615";
        (name == "--count" ? options.count : options.seed) = *number;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // In text mode the C runtime would write every LF as CR LF, and the
    // listings' own CR LF as CR CR LF: the output must be the same bytes
    // as everywhere else.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    Options options;
    if (const std::optional<std::string> error = readOptions(argc, argv, options))
        return usageError(*error);
    if (options.help) {
        write(stdout, kHelp);
        return kExitDone;
    }

    std::uint64_t faultyCases = 0;
    for (std::uint64_t index = 1; index <= options.count; ++index) {
        const vantrel::CaseLine line = vantrel::checkCase(options.seed, index);
        write(stdout, line.text);
        if (options.registerFile) {
            // Block numbers run 0 to 32766 and round again: 32767 leaves no next one.
            const vantrel::BlockAppend block = vantrel::appendRegisterBlock(
                *options.registerFile, vantrel::decimalNumber((index - 1) % 32767), line.eeListing);
            if (!block.ok()) {
                write(stderr, "vantrel-core-check: case " + vantrel::decimalNumber(index) + ": " + block.failure + "\n");
                return kExitFaults;
            }
        }
        for (const std::string& fault : line.faults)
            write(stderr, "vantrel-core-check: case " + vantrel::decimalNumber(index) + ": " + fault + "\n");
        if (!line.faults.empty())
            ++faultyCases;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        write(stderr, "vantrel-core-check: writing the output failed\n");
        return kExitFaults;
    }
    if (faultyCases > 0) {
        write(stderr, "vantrel-core-check: " + vantrel::decimalNumber(faultyCases) + " of "
                          + vantrel::decimalNumber(options.count) + " cases wrong\n");
        return kExitFaults;
    }
    return kExitDone;
}
