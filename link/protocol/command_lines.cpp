#include "command_lines.h"

#include "hex_codec.h"
#include "line_end.h"

namespace vantrel {
namespace {

std::string commandLine(std::string_view command)
{
    std::string line(command);
    line += kCrLf;
    return line;
}

} // namespace

std::string registerLine(std::uint32_t word)
{
    std::string line(kRegisterCommand);
    line += hexFormat(word);
    line += kCrLf;
    return line;
}

std::vector<std::string> sendAllLines(const RegisterSet& set)
{
    std::vector<std::string> lines;
    // The board expects Reg0 last: writing it is what makes the chip retune.
    for (auto it = set.rbegin(); it != set.rend(); ++it)
        lines.push_back(registerLine(*it));
    return lines;
}

std::vector<std::string> writeAllLines(const RegisterSet& set)
{
    std::vector<std::string> lines;
    for (auto it = set.rbegin(); it != set.rend(); ++it) {
        lines.push_back(registerLine(*it));
        lines.push_back(commandLine(kStoreCommand));
    }
    return lines;
}

std::vector<std::string> initLines() { return {commandLine(kInitCommand)}; }

std::vector<std::string> changedLines(const RegisterSet& previous, const RegisterSet& next)
{
    std::vector<std::string> lines;
    for (std::size_t i = next.size() - 1; i >= 1; --i) {
        if (next[i] != previous[i])
            lines.push_back(registerLine(next[i]));
    }
    if (!lines.empty() || next[0] != previous[0])
        lines.push_back(registerLine(next[0]));
    return lines;
}

} // namespace vantrel
