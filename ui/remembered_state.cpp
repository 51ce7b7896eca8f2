#include "remembered_state.h"

#include <QSettings>

#include "frequency_units.h"

using namespace vantrel;

namespace {

const QString kLastPortKey = QStringLiteral("board/lastPort");
const QString kPlacesGroup = QStringLiteral("windows");
const QString kRecentFilesKey = QStringLiteral("files/recent");
const QString kLoopBandwidthKey = QStringLiteral("plan/loopBandwidthKHz");
const QString kBandMapRangeKey = QStringLiteral("bandMap/range");

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

// Numbers as blank-separated text, so that the file reads as it is meant:
// "x y width height", "start stop step".
QString placeText(const QRect& place)
{
    return QStringLiteral("%1 %2 %3 %4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
}

std::optional<QRect> readPlace(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return QRect(values[0], values[1], values[2], values[3]);
}

QString rangeText(const FrequencyRange& range)
{
    return fromStd(exactDecimalText(range.startMHz) + ' ' + exactDecimalText(range.stopMHz) + ' '
                   + exactDecimalText(range.stepMHz));
}

std::optional<FrequencyRange> readRange(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 3)
        return std::nullopt;
    double values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::optional<double> value = strictNumber(parts[i].toStdString());
        if (!value)
            return std::nullopt;
        values[i] = *value;
    }
    return FrequencyRange{values[0], values[1], values[2]};
}

// Empty while the bandwidth is assumed.
QString loopText(const LoopBandwidth& loop)
{
    return loop.assumed() ? QString() : fromStd(exactDecimalText(*loop.setKHz));
}

std::optional<LoopBandwidth> readLoop(const QString& text)
{
    if (text.isEmpty())
        return LoopBandwidth{};
    const std::optional<double> kHz = strictNumber(text.toStdString());
    if (!kHz || !isLoopBandwidth(*kHz))
        return std::nullopt;
    return LoopBandwidth{*kHz};
}

// A value the file holds as text; anything else (a number written by hand
// without quotes still reads as text) is no value of ours.
std::optional<QString> textValue(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

} // namespace

RememberedState::RememberedState(QSettings* store)
    : m_store(store)
{
    if (!m_store)
        return;
    if (m_store->status() != QSettings::NoError) {
        qWarning().noquote() << QStringLiteral("vantrel: %1 does not parse as remembered settings; it is ignored, "
                                               "and what this run changes is written over it")
                                    .arg(m_store->fileName());
        return;
    }
    read();
}

void RememberedState::read()
{
    const QSettings& store = *m_store;
    const QString quoted = QStringLiteral("\"%1\" is ");
    if (store.contains(kLastPortKey)) {
        if (const std::optional<QString> port = textValue(store.value(kLastPortKey)))
            m_lastPort = *port;
        else
            ignored(kLastPortKey, QStringLiteral("it is no text"));
    }

    m_store->beginGroup(kPlacesGroup);
    const QStringList windows = m_store->childKeys();
    m_store->endGroup();
    for (const QString& window : windows) {
        const QString key = kPlacesGroup + QLatin1Char('/') + window;
        const std::optional<QString> text = textValue(store.value(key));
        if (const std::optional<QRect> place = text ? readPlace(*text) : std::nullopt)
            m_places.insert(window, *place);
        else
            ignored(key, quoted.arg(text.value_or(QString())) + QStringLiteral("no place (x y width height)"));
    }

    if (store.contains(kRecentFilesKey)) {
        // An empty list is written as no value at all ("@Invalid()").
        const QVariant value = store.value(kRecentFilesKey);
        const QStringList files = value.toStringList();
        const bool list = !value.isValid() || value.typeId() == QMetaType::QString
                          || value.typeId() == QMetaType::QStringList;
        if (list && !files.contains(QString()))
            m_recentFiles = files.mid(0, kMaxRecentFiles);
        else
            ignored(kRecentFilesKey, QStringLiteral("it is no list of file names"));
    }

    if (store.contains(kLoopBandwidthKey)) {
        const std::optional<QString> text = textValue(store.value(kLoopBandwidthKey));
        if (const std::optional<LoopBandwidth> loop = text ? readLoop(*text) : std::nullopt)
            m_loopBandwidth = *loop;
        else
            ignored(kLoopBandwidthKey, quoted.arg(text.value_or(QString())) + QStringLiteral("no loop bandwidth in kHz"));
    }

    if (store.contains(kBandMapRangeKey)) {
        const std::optional<QString> text = textValue(store.value(kBandMapRangeKey));
        if (const std::optional<FrequencyRange> range = text ? readRange(*text) : std::nullopt)
            m_bandMapRange = *range;
        else
            ignored(kBandMapRangeKey, quoted.arg(text.value_or(QString())) + QStringLiteral("no range (start stop step, MHz)"));
    }
}

void RememberedState::ignored(const QString& key, const QString& why) const
{
    qWarning().noquote() << QStringLiteral("vantrel: the remembered %1 in %2 is ignored: %3")
                                .arg(key, m_store->fileName(), why);
}

void RememberedState::write(const QString& key, const QVariant& value)
{
    if (m_store)
        m_store->setValue(key, value);
}

void RememberedState::setLastPort(const QString& text)
{
    if (text == m_lastPort)
        return;
    m_lastPort = text;
    write(kLastPortKey, text);
}

std::optional<QRect> RememberedState::windowPlace(const QString& window) const
{
    const auto found = m_places.constFind(window);
    return found == m_places.cend() ? std::nullopt : std::optional<QRect>(*found);
}

void RememberedState::setWindowPlace(const QString& window, const QRect& place)
{
    if (window.isEmpty() || place.isEmpty() || windowPlace(window) == place)
        return;
    m_places.insert(window, place);
    write(kPlacesGroup + QLatin1Char('/') + window, placeText(place));
}

void RememberedState::addRecentFile(const QString& path)
{
    QStringList files = m_recentFiles;
    files.removeAll(path);
    files.prepend(path);
    files = files.mid(0, kMaxRecentFiles);
    if (files == m_recentFiles)
        return;
    m_recentFiles = files;
    write(kRecentFilesKey, m_recentFiles);
}

void RememberedState::dropRecentFile(const QString& path)
{
    if (m_recentFiles.removeAll(path) > 0)
        write(kRecentFilesKey, m_recentFiles);
}

void RememberedState::setLoopBandwidth(const LoopBandwidth& loop)
{
    if (loop == m_loopBandwidth)
        return;
    m_loopBandwidth = loop;
    write(kLoopBandwidthKey, loopText(loop));
}

void RememberedState::setBandMapRange(const FrequencyRange& range)
{
    if (m_bandMapRange == range)
        return;
    m_bandMapRange = range;
    write(kBandMapRangeKey, rangeText(range));
}
