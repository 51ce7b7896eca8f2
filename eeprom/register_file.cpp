#include "register_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <system_error>
#include <utility>

#include "line_end.h"
#include "number_format.h"
#include "number_reader.h"
#include "rounding.h"

namespace vantrel {
namespace {

constexpr std::string_view kBlockHeading = "   ;Register set ";

BlockAppend failed(std::string reason) { return BlockAppend{std::nullopt, std::move(reason)}; }

// The name as the user gave it, for messages, whatever the platform's path encoding.
std::string displayName(const std::filesystem::path& path)
{
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

std::string describe(int error) { return std::generic_category().message(error); }

// errno when the library set it, otherwise a generic input/output error, so
// that a failure never reads as "Success".
int lastError() { return errno != 0 ? errno : EIO; }

// Binary mode: the listing's CR LF must reach the file unchanged on Windows
// too, and no LF may grow a second CR.
std::FILE* openForAppending(const std::filesystem::path& path)
{
#ifdef _WIN32
    return _wfopen(path.c_str(), L"ab");
#else
    return std::fopen(path.c_str(), "ab");
#endif
}

} // namespace

BlockAppend appendRegisterBlock(const std::filesystem::path& fileName, std::string_view blockNoText,
                                std::string_view listing)
{
    // Every refusal that does not depend on the file comes before the file is
    // opened, so a refused block leaves no trace in it.
    const std::optional<std::int16_t> blockNum = roundToInt16(readLeadingNumber(blockNoText));
    if (!blockNum)
        return failed("Block number \"" + std::string(blockNoText) + "\" is outside -32768 to 32767");
    if (*blockNum == std::numeric_limits<std::int16_t>::max())
        return failed("Block number " + std::to_string(*blockNum)
                      + " is the last one: no block number can follow it, so nothing was written");
    if (fileName.empty())
        return failed("No register file name given");

    const std::string name = displayName(fileName);
    std::error_code ec;
    if (std::filesystem::is_directory(fileName, ec))
        return failed("Cannot open " + name + " for appending: it is a folder");

    std::string block;
    block.reserve(kBlockHeading.size() + listing.size() + 16);
    block += kBlockHeading;
    block += formatMask(*blockNum, "##0");
    block += kCrLf;
    block += listing;
    block += kCrLf;

    errno = 0;
    std::FILE* file = openForAppending(fileName);
    if (file == nullptr)
        return failed("Cannot open " + name + " for appending: " + describe(lastError()));

    // Only a regular file can be cut back; a device such as a full disk's
    // special file has no length to restore.
    std::optional<std::uintmax_t> oldSize;
    if (std::filesystem::is_regular_file(fileName, ec)) {
        const std::uintmax_t size = std::filesystem::file_size(fileName, ec);
        if (!ec)
            oldSize = size;
    }

    int writeError = 0;
    errno = 0;
    if (std::fwrite(block.data(), 1, block.size(), file) != block.size() || std::fflush(file) != 0)
        writeError = lastError();
    // The stream is released whether or not closing succeeds; a close that
    // fails may still mean the last buffered bytes did not reach the disk.
    errno = 0;
    if (std::fclose(file) != 0 && writeError == 0)
        writeError = lastError();

    if (writeError != 0) {
        std::string reason = "Cannot write to " + name + ": " + describe(writeError);
        if (oldSize) {
            std::filesystem::resize_file(fileName, *oldSize, ec);
            if (ec)
                reason += "; cutting it back to its old length failed too: " + ec.message();
        }
        return failed(reason);
    }
    return BlockAppend{formatMask(*blockNum + 1, "##0"), {}};
}

} // namespace vantrel
