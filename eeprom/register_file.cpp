#include "register_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <system_error>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// Why a name that exists is no file to append a block to; empty for a regular file.
std::string notARegularFile(std::filesystem::file_type type)
{
    using std::filesystem::file_type;
    switch (type) {
    case file_type::regular: return {};
    case file_type::directory: return "it is a folder";
    case file_type::fifo:
    case file_type::socket: return "it is a pipe, not a regular file";
    default: return "it is a device, not a regular file";
    }
}

// Binary mode: the listing's CR LF must reach the file unchanged on Windows
// too, and no LF may grow a second CR. `refused` says why a file that
// opened is no regular file; the stream is then not opened.
std::FILE* openForAppending(const std::filesystem::path& path, std::string& refused)
{
#ifdef _WIN32
    (void)refused;
    return _wfopen(path.c_str(), L"ab");
#else
    // Opened without waiting and checked on the open descriptor: a FIFO
    // swapped in after the check of the name must not hold the window
    // until a reader comes.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        using std::filesystem::file_type;
        refused = notARegularFile(S_ISDIR(status.st_mode)                                ? file_type::directory
                                  : S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode) ? file_type::fifo
                                                                                          : file_type::character);
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "ab");
    if (file == nullptr)
        ::close(fd);
    return file;
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
    // Anything but a regular file (or a new one) is refused before it is
    // opened, as settings files are: a FIFO's open waits for a reader, a
    // device takes the block and keeps nothing of it.
    std::error_code ec;
    if (const std::filesystem::file_status status = std::filesystem::status(fileName, ec);
        !ec && std::filesystem::exists(status)) {
        if (const std::string why = notARegularFile(status.type()); !why.empty())
            return failed("Cannot open " + name + " for appending: " + why);
    }

    std::string block;
    block.reserve(kBlockHeading.size() + listing.size() + 16);
    block += kBlockHeading;
    block += formatMask(*blockNum, "##0");
    block += kCrLf;
    block += listing;
    block += kCrLf;

    errno = 0;
    std::string refused;
    std::FILE* file = openForAppending(fileName, refused);
    if (file == nullptr)
        return failed("Cannot open " + name + " for appending: " + (refused.empty() ? describe(lastError()) : refused));

    // The length to cut a failed block back to.
    std::optional<std::uintmax_t> oldSize;
    if (const std::uintmax_t size = std::filesystem::file_size(fileName, ec); !ec)
        oldSize = size;

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
