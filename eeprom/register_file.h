// The register listing file: EE data listings appended as numbered blocks,
// for inclusion in the board's PIC assembly source.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// What one append achieved: the text for the block-number box on success,
// otherwise a sentence saying what failed and why.
struct BlockAppend {
    std::optional<std::string> nextBlockNo; // the next block number, "##0"
    std::string failure;                    // empty on success

    bool ok() const { return nextBlockNo.has_value(); }
};

// Appends one block to the file, creating it when missing: "   ;Register set "
// with the block number, the listing (which ends with CR LF already) and one
// empty line. The block number text is read by the leading-number rule and
// rounded half to even to a 16-bit number.
//
// The file is opened and closed within the call, in binary mode so every line
// ends with CR LF on every platform, and is only ever appended to. A block is
// written whole or not at all: after a failed write the file is cut back to
// its old length. A block number outside -32768..32767, or one (32767) that
// leaves no next number, is refused before the file is touched, and so is a
// name that is not a regular file (a folder, a FIFO, a device). A name
// without a folder refers to the current directory.
BlockAppend appendRegisterBlock(const std::filesystem::path& fileName, std::string_view blockNoText,
                                std::string_view listing);

} // namespace vantrel
