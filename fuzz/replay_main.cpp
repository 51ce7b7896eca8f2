// Replays inputs through a fuzz target without libFuzzer, so that the
// committed corpora run as tests wherever the target compiles, Windows under
// Wine included. Each argument is a file or a folder of files (taken in name
// order); each file is one input, handed to the target once. A failed check
// aborts, as under libFuzzer; the input it failed on is the last one named
// on stdout.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

void say(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

// The name as given, whatever the platform's path encoding.
std::string shown(const fs::path& path)
{
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

// The files an argument names. A folder without files counts as a mistake:
// a wrong corpus path must not pass as a clean replay of nothing.
bool addInputs(const fs::path& argument, std::vector<fs::path>& inputs)
{
    std::error_code ec;
    if (fs::is_regular_file(argument, ec)) {
        inputs.push_back(argument);
        return true;
    }
    if (!fs::is_directory(argument, ec))
        return false;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(argument, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec))
            files.push_back(it->path());
    }
    if (ec || files.empty())
        return false;
    std::sort(files.begin(), files.end());
    inputs.insert(inputs.end(), files.begin(), files.end());
    return true;
}

std::optional<std::vector<std::uint8_t>> contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::istreambuf_iterator<char> it(in), end; it != end; ++it)
        bytes.push_back(static_cast<std::uint8_t>(*it));
    if (in.bad())
        return std::nullopt;
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        say(stderr, std::string("usage: ") + argv[0] + " FILE_OR_FOLDER...\n");
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!addInputs(argv[i], inputs)) {
            say(stderr, std::string(argv[i]) + ": no such file, or a folder without files\n");
            return 2;
        }
    }
    for (const fs::path& input : inputs) {
        say(stdout, shown(input) + "\n");
        const std::optional<std::vector<std::uint8_t>> bytes = contents(input);
        if (!bytes) {
            say(stderr, shown(input) + ": cannot be read\n");
            return 2;
        }
        LLVMFuzzerTestOneInput(bytes->data(), bytes->size());
    }
    say(stdout, std::to_string(inputs.size()) + " input(s) replayed\n");
    return 0;
}
