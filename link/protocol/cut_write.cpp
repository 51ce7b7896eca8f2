#include "cut_write.h"

#include <string_view>
#include <tuple>
#include <vector>

#include "command_lines.h"
#include "line_end.h"

namespace vantrel {
namespace {

constexpr std::size_t kRegisterCount = std::tuple_size_v<RegisterSet>;

std::string reg(std::size_t k) { return "Reg" + std::to_string(k); }

// "Reg5 to Reg3", or "Reg5" alone.
std::string span(std::size_t high, std::size_t low) { return high == low ? reg(high) : reg(high) + " to " + reg(low); }

} // namespace

std::string cutWriteText(const RegisterSet& set, std::size_t linesSent)
{
    const std::vector<std::string> lines = writeAllLines(set);
    if (linesSent == 0)
        return "Write EE sent no line: the board's stored set is as it was.";
    if (linesSent >= lines.size())
        return "Every line of Write EE went out: the board has stored the whole set.";
    // Reg5 goes first: line 2i is the word of Reg(5 - i), line 2i + 1 stores it.
    const std::size_t last = linesSent - 1;
    const std::size_t lastReg = kRegisterCount - 1 - last / 2;
    std::string line = lines[last];
    line.resize(line.size() - std::string_view(kCrLf).size());
    std::string text = "Write EE was cut short: the last line out was " + line;
    text += last % 2 == 1 ? ", which stored " + reg(lastReg) : " (" + reg(lastReg) + "'s word, not stored)";
    const std::size_t stored = linesSent / 2;
    if (stored == 0)
        return text + ". The board's stored set is as it was.";
    const std::size_t firstOld = kRegisterCount - 1 - stored;
    return text + ". The stored set is now mixed: " + span(kRegisterCount - 1, firstOld + 1) + " of this set, "
           + span(firstOld, 0) + " of the one before. Write EE again once the board is back.";
}

} // namespace vantrel
