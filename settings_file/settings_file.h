// The settings file: every setting control of the panel as typed, kept
// between runs as JSON ("format": "vantrel-settings", "version": 1). Reading
// gives the whole of the settings or why not, never a part of them.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

#include "settings.h"

namespace vantrel {

inline constexpr char kSettingsFormat[] = "vantrel-settings";
inline constexpr int kSettingsVersion = 1;
// A text box takes at most this many characters (UTF-16 code units) and
// would silently cut a longer text.
inline constexpr int kMaxSettingsTextLength = 32767;
// Far above any real settings file: a large file chosen by mistake is
// refused rather than read into memory.
inline constexpr qint64 kMaxSettingsFileBytes = 1024 * 1024;

// What a settings file holds: the controls the plan reads, tracking
// included, and the two texts it does not (texts in UTF-8).
struct PanelSettings {
    Settings settings;
    std::string forceDText; // "Force Denom"
    std::string portText;   // the COM port box
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
// Empty when written; otherwise why not, and the file is left as it was.
QString writeSettingsFile(const QString& path, const PanelSettings& settings);

} // namespace vantrel
