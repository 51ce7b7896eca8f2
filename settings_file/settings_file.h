// The settings file: every setting control of the panel as typed, the chip
// options, the loop bandwidth and the loop filter, kept between runs as JSON
// ("format": "vantrel-settings", "version": 4; a version 1 file, from before
// the chip options, opens with their defaults, a version 1 or 2 file, from
// before the loop bandwidth, with the bandwidth assumed, and a version 1 to 3
// file, from before the loop filter, with no filter). Reading gives the
// whole of the settings or why not, never a part of them.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <string>

#include "loop_figures.h"
#include "plan_quality.h"
#include "settings.h"

class QFile;

namespace vantrel {

inline constexpr char kSettingsFormat[] = "vantrel-settings";
inline constexpr int kSettingsVersion = 4;
// The first version, without the chip options; still read.
inline constexpr int kSettingsVersionWithoutChip = 1;
// The second, with the chip options but without the loop bandwidth; still read.
inline constexpr int kSettingsVersionWithoutQuality = 2;
// The third, with the loop bandwidth but without the loop filter; still read.
inline constexpr int kSettingsVersionWithoutLoop = 3;
// A text box takes at most this many characters (UTF-16 code units) and
// would silently cut a longer text.
inline constexpr int kMaxSettingsTextLength = 32767;
// Far above any real settings file: a large file chosen by mistake is
// refused rather than read into memory.
inline constexpr qint64 kMaxSettingsFileBytes = 1024 * 1024;

// What a settings file holds: the controls the plan reads, tracking and the
// chip options included, the two texts it does not (texts in UTF-8), the
// Chip menu's "Follow the Datasheet for the Mode", the loop bandwidth of
// the Plan Quality window and the Loop Filter window's settings.
struct PanelSettings {
    Settings settings;
    std::string forceDText; // "Force Denom"
    std::string portText;   // the COM port box
    bool followDatasheet = false;
    LoopBandwidth loopBandwidth; // its circuit is loop.circuit() in a file read
    LoopSettings loop;

    bool operator==(const PanelSettings&) const = default;
};

// Either the whole of the settings or why the file is not a settings file.
struct SettingsFileReading {
    std::optional<PanelSettings> settings;
    QString error; // empty when settings holds a value
};

// The file's bytes: indented JSON.
QByteArray settingsFileText(const PanelSettings& settings);
SettingsFileReading parseSettingsFile(const QByteArray& text);

// What readSettingsFile takes. The window reads regular files only: a FIFO
// or a device chosen by mistake would hold its event loop for as long as
// nothing is written to it. A command-line tool may read a pipe
// ("--settings /dev/stdin") and wait for it.
enum class SettingsSource { AnyFile, RegularFileOnly };

SettingsFileReading readSettingsFile(const QString& path, SettingsSource source = SettingsSource::AnyFile);

// Opens `path` for reading when it is a regular file, without waiting for
// a FIFO's writer; otherwise, or when it cannot be opened, says why ("it is
// a pipe, not a regular file"). Empty when `file` is open.
QString openRegularFile(QFile& file, const QString& path);

// The chip options as the file's "chip" group keeps them, each field by its
// name: true or false, a number, or the word of a code ("fast-lock");
// "MuxCode" is null or the code. vantrel-plan --json shows the same.
QJsonObject chipOptionsObject(const ChipOptions& options);
// Empty when written; otherwise why not, and the file is left as it was.
QString writeSettingsFile(const QString& path, const PanelSettings& settings);

} // namespace vantrel
