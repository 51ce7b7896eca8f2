// What the program remembers from one run to the next, in the platform's
// place for settings (QSettings): the port that last opened, where each
// window stood, the settings files last opened or saved, the loop bandwidth
// and the band map's range. The panel's own controls are not among them: it
// starts from its initial values every time. Everything is read once, when
// made; a value that does not parse is ignored with a line on stderr. A
// value is written only when it changes, so a run that changes nothing
// leaves the file as it was.
#pragma once

#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

#include "plan_quality.h"
#include "sweep_points.h"

class QSettings;

class RememberedState {
public:
    // File ▸ Open Recent holds this many files, the latest first.
    static constexpr qsizetype kMaxRecentFiles = 8;

    // Reads what `store` holds; without a store nothing is read or written,
    // and what the run changes is kept for the run alone (--fresh, tests).
    explicit RememberedState(QSettings* store = nullptr);

    // The COM box's text when a port last opened; empty when none has.
    const QString& lastPort() const { return m_lastPort; }
    void setLastPort(const QString& text);

    // A window's frame position and its size, by the window's name.
    std::optional<QRect> windowPlace(const QString& window) const;
    void setWindowPlace(const QString& window, const QRect& place);

    // Absolute paths, the latest first.
    const QStringList& recentFiles() const { return m_recentFiles; }
    // To the front, once, the oldest falling off beyond kMaxRecentFiles.
    void addRecentFile(const QString& path);
    void dropRecentFile(const QString& path);

    const vantrel::LoopBandwidth& loopBandwidth() const { return m_loopBandwidth; }
    void setLoopBandwidth(const vantrel::LoopBandwidth& loop);

    // None until the band map has drawn a range.
    const std::optional<vantrel::FrequencyRange>& bandMapRange() const { return m_bandMapRange; }
    void setBandMapRange(const vantrel::FrequencyRange& range);

private:
    void read();
    // Says on stderr that what is kept under `key` is ignored.
    void ignored(const QString& key, const QString& why) const;
    void write(const QString& key, const QVariant& value);

    QSettings* m_store;
    QString m_lastPort;
    QHash<QString, QRect> m_places;
    QStringList m_recentFiles;
    vantrel::LoopBandwidth m_loopBandwidth;
    std::optional<vantrel::FrequencyRange> m_bandMapRange;
};
