#include "command_lines.h"

#include "hex_format.h"

namespace vantrel {

std::string registerLine(std::uint32_t word)
{
    std::string line = "R";
    line += hexFormat(word);
    line += kLineEnd;
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
        lines.emplace_back(kStoreLine);
    }
    return lines;
}

std::vector<std::string> initLines() { return {std::string(kInitLine)}; }

} // namespace vantrel
