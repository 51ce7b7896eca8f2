// Reading a hop list for vantrel-ctl: a regular file or standard input
// ("-") only, since a FIFO or a device named as the file would hold the
// program; at most kMaxHopLines lines and kMaxHopBytes bytes, since a
// stream without end would fill the memory; and ended at once by a signal.
#pragma once

#include <QString>

#include <cstddef>
#include <optional>
#include <string>

namespace vantrel {

class InterruptWatch;

// A header line and 100,000 frequencies.
inline constexpr int kMaxHopLines = 100'001;
inline constexpr std::size_t kMaxHopBytes = std::size_t{16} * 1024 * 1024;

struct HopFileReading {
    std::optional<std::string> text;
    QString error;        // why there is no text: "it is a pipe, not a regular file", "it holds more than ..."
    int signalNumber = 0; // the signal that ended the read, when one did
};

// The whole of `path`, or of standard input for "-", as long as no signal
// has come (one that came before ends it before it starts).
HopFileReading readHopFile(const QString& path, InterruptWatch& interrupts);

} // namespace vantrel
