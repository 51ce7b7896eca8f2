#include "settings_file.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>
#include <QStringList>

#include <array>
#include <cmath>
#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "chip.h"
#include "number_format.h"

namespace vantrel {
namespace {

// The top level's members; inside the groups each member is named after its control.
constexpr char kFormatKey[] = "format";
constexpr char kVersionKey[] = "version";
constexpr char kTextsKey[] = "texts";
constexpr char kChecksKey[] = "checks";
constexpr char kMuxKey[] = "mux";
constexpr char kScrollsKey[] = "scrolls";
// The MUXOUT value when no button is selected, as in a window just opened.
constexpr char kNoMuxButton[] = "none";

// One table per group serves both ways: over a const PanelSettings for
// writing, over a mutable one for reading.
template <typename Panel>
auto textsOf(Panel& panel)
{
    return std::array{
        std::pair{"FoutText", &panel.settings.foutText},
        std::pair{"FrText", &panel.settings.frText},
        std::pair{"Rdivider", &panel.settings.rdividerText},
        std::pair{"ResolutionText", &panel.settings.resolutionText},
        std::pair{"ForceD", &panel.forceDText},
        std::pair{"CPNo", &panel.portText},
    };
}

template <typename Panel>
auto checksOf(Panel& panel)
{
    auto& s = panel.settings;
    return std::array{
        std::pair{"RefDbl", &s.refDbl},       std::pair{"Refdiv2", &s.refDiv2}, std::pair{"Feedback", &s.feedback},
        std::pair{"Prescale8", &s.prescale8}, std::pair{"PDpol", &s.pdPol},     std::pair{"LowSpur", &s.lowSpur},
        std::pair{"Enable", &s.enable},       std::pair{"MTLD", &s.mtld},       std::pair{"IntN", &s.intN},
        std::pair{"TrackDivider", &s.trackDivider},
    };
}

template <typename Position>
struct Scroll {
    const char* name;
    Position* position;
    int maximum; // the bottom of each bar is 0
};

template <typename Position>
Scroll<Position> scroll(const char* name, Position* position, int maximum)
{
    return {name, position, maximum};
}

template <typename Panel>
auto scrollsOf(Panel& panel)
{
    auto& s = panel.settings;
    return std::array{
        scroll("OutDivCont", &s.outDivCont, kMaxOutDivIndex),
        scroll("ChrgPump", &s.chrgPump, kMaxChargePump),
        scroll("Pwr", &s.pwr, kMaxPower),
    };
}

constexpr std::array<std::pair<const char*, MuxButton>, 5> kMuxNames{{
    {kNoMuxButton, MuxButton::NoneSelected},
    {"MuxNone", MuxButton::MuxNone},
    {"MuxR", MuxButton::MuxR},
    {"MuxN", MuxButton::MuxN},
    {"MuxL", MuxButton::MuxL},
}};

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }
QString member(const char* group, const char* name) { return quoted(QLatin1String(group) + '.' + QLatin1String(name)); }
QString numberText(double value) { return QString::fromStdString(plainNumber(value)); }

SettingsFileReading failure(const QString& why)
{
    SettingsFileReading reading;
    reading.error = why;
    return reading;
}

// Why `object` holds a member other than `known`; empty when it does not.
QString unknownMember(const QJsonObject& object, const QString& group, const QStringList& known)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!known.contains(it.key()))
            return QStringLiteral("unknown member ") + quoted(group.isEmpty() ? it.key() : group + '.' + it.key());
    }
    return {};
}

// The group `key` of the top level; nothing, with `error` set, when it is not an object.
std::optional<QJsonObject> groupOf(const QJsonObject& top, const char* key, QString& error)
{
    const QJsonValue value = top.value(QLatin1String(key));
    if (value.isUndefined()) {
        error = quoted(QLatin1String(key)) + QStringLiteral(" is missing");
        return std::nullopt;
    }
    if (!value.isObject()) {
        error = quoted(QLatin1String(key)) + QStringLiteral(" is not an object");
        return std::nullopt;
    }
    return value.toObject();
}

QString readTexts(const QJsonObject& group, PanelSettings& panel)
{
    QStringList known;
    for (const auto& [name, text] : textsOf(panel)) {
        known << QLatin1String(name);
        const QJsonValue value = group.value(QLatin1String(name));
        if (value.isUndefined())
            return member(kTextsKey, name) + QStringLiteral(" is missing");
        if (!value.isString())
            return member(kTextsKey, name) + QStringLiteral(" is not a text");
        const QString typed = value.toString();
        if (typed.size() > kMaxSettingsTextLength) {
            return member(kTextsKey, name) + QStringLiteral(" is longer than %1 characters")
                                                 .arg(kMaxSettingsTextLength);
        }
        *text = typed.toStdString();
    }
    return unknownMember(group, QLatin1String(kTextsKey), known);
}

QString readChecks(const QJsonObject& group, PanelSettings& panel)
{
    QStringList known;
    for (const auto& [name, checked] : checksOf(panel)) {
        known << QLatin1String(name);
        const QJsonValue value = group.value(QLatin1String(name));
        if (value.isUndefined())
            return member(kChecksKey, name) + QStringLiteral(" is missing");
        if (!value.isBool())
            return member(kChecksKey, name) + QStringLiteral(" is not true or false");
        *checked = value.toBool();
    }
    return unknownMember(group, QLatin1String(kChecksKey), known);
}

QString readScrolls(const QJsonObject& group, PanelSettings& panel)
{
    QStringList known;
    for (const auto& bar : scrollsOf(panel)) {
        known << QLatin1String(bar.name);
        const QJsonValue value = group.value(QLatin1String(bar.name));
        if (value.isUndefined())
            return member(kScrollsKey, bar.name) + QStringLiteral(" is missing");
        if (!value.isDouble())
            return member(kScrollsKey, bar.name) + QStringLiteral(" is not a number");
        const double position = value.toDouble();
        if (position != std::floor(position)) {
            return member(kScrollsKey, bar.name) +
                   QStringLiteral(" is %1, not a whole number").arg(numberText(position));
        }
        if (position < 0 || position > bar.maximum) {
            return member(kScrollsKey, bar.name) +
                   QStringLiteral(" is %1, outside 0 to %2").arg(numberText(position)).arg(bar.maximum);
        }
        *bar.position = static_cast<int>(position);
    }
    return unknownMember(group, QLatin1String(kScrollsKey), known);
}

QString readMux(const QJsonObject& top, PanelSettings& panel)
{
    const QJsonValue value = top.value(QLatin1String(kMuxKey));
    if (value.isUndefined())
        return quoted(QLatin1String(kMuxKey)) + QStringLiteral(" is missing");
    if (value.isString()) {
        for (const auto& [name, button] : kMuxNames) {
            if (value.toString() == QLatin1String(name)) {
                panel.settings.mux = button;
                return {};
            }
        }
    }
    QStringList names;
    for (const auto& [name, button] : kMuxNames)
        names << QLatin1String(name);
    return quoted(QLatin1String(kMuxKey)) + QStringLiteral(" is not one of ") + names.join(QStringLiteral(", "));
}

} // namespace

QByteArray settingsFileText(const PanelSettings& panel)
{
    QJsonObject texts;
    for (const auto& [name, text] : textsOf(panel))
        texts.insert(QLatin1String(name), QString::fromStdString(*text));
    QJsonObject checks;
    for (const auto& [name, checked] : checksOf(panel))
        checks.insert(QLatin1String(name), *checked);
    QJsonObject scrolls;
    for (const auto& bar : scrollsOf(panel))
        scrolls.insert(QLatin1String(bar.name), *bar.position);
    QString mux;
    for (const auto& [name, button] : kMuxNames) {
        if (button == panel.settings.mux)
            mux = QLatin1String(name);
    }
    QJsonObject top;
    top.insert(QLatin1String(kFormatKey), QLatin1String(kSettingsFormat));
    top.insert(QLatin1String(kVersionKey), kSettingsVersion);
    top.insert(QLatin1String(kTextsKey), texts);
    top.insert(QLatin1String(kChecksKey), checks);
    top.insert(QLatin1String(kMuxKey), mux);
    top.insert(QLatin1String(kScrollsKey), scrolls);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

SettingsFileReading parseSettingsFile(const QByteArray& text)
{
    // Said plainly rather than as JSON's "illegal value at byte 0".
    if (text.trimmed().isEmpty())
        return failure(QStringLiteral("the file is empty"));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return failure(QStringLiteral("it is not JSON (%1 at byte %2)")
                           .arg(parseError.errorString())
                           .arg(parseError.offset));
    }
    if (!document.isObject())
        return failure(QStringLiteral("it is not a settings file (no JSON object)"));
    const QJsonObject top = document.object();
    if (top.value(QLatin1String(kFormatKey)).toString() != QLatin1String(kSettingsFormat)) {
        return failure(QStringLiteral("it is not a settings file (%1 is not %2)")
                           .arg(quoted(QLatin1String(kFormatKey)), quoted(QLatin1String(kSettingsFormat))));
    }
    const QJsonValue version = top.value(QLatin1String(kVersionKey));
    if (version.isUndefined())
        return failure(quoted(QLatin1String(kVersionKey)) + QStringLiteral(" is missing"));
    if (!version.isDouble())
        return failure(quoted(QLatin1String(kVersionKey)) + QStringLiteral(" is not a number"));
    if (version.toDouble() != kSettingsVersion) {
        return failure(QStringLiteral("it is settings file version %1, and this program reads version %2")
                           .arg(numberText(version.toDouble()))
                           .arg(kSettingsVersion));
    }

    PanelSettings panel;
    QString error;
    const std::optional<QJsonObject> texts = groupOf(top, kTextsKey, error);
    if (!texts)
        return failure(error);
    error = readTexts(*texts, panel);
    if (error.isEmpty()) {
        if (const std::optional<QJsonObject> checks = groupOf(top, kChecksKey, error))
            error = readChecks(*checks, panel);
    }
    if (error.isEmpty())
        error = readMux(top, panel);
    if (error.isEmpty()) {
        if (const std::optional<QJsonObject> scrolls = groupOf(top, kScrollsKey, error))
            error = readScrolls(*scrolls, panel);
    }
    if (error.isEmpty()) {
        QStringList known;
        for (const char* key : {kFormatKey, kVersionKey, kTextsKey, kChecksKey, kMuxKey, kScrollsKey})
            known << QLatin1String(key);
        error = unknownMember(top, QString(), known);
    }
    if (!error.isEmpty())
        return failure(error);
    SettingsFileReading reading;
    reading.settings = std::move(panel);
    return reading;
}

namespace {

// Opens `path` for reading when it is a regular file; otherwise, or when it
// cannot be opened, says why.
QString openRegularFile(QFile& file, const QString& path)
{
#ifdef Q_OS_UNIX
    // Opened without waiting and checked on the open descriptor, so that a
    // FIFO cannot block the open itself, nor be swapped in after a check of
    // the name. O_NONBLOCK changes nothing for a regular file's reads.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("it cannot be read (%1)").arg(qt_error_string(errno));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const bool folder = S_ISDIR(status.st_mode);
        const bool pipe = S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode);
        ::close(fd);
        if (folder)
            return QStringLiteral("it is a folder, not a file");
        return pipe ? QStringLiteral("it is a pipe, not a regular file")
                    : QStringLiteral("it is a device, not a regular file");
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QStringLiteral("it cannot be read (%1)").arg(file.errorString());
    }
    return {};
#else
    const QFileInfo info(path);
    if (info.exists() && info.isDir())
        return QStringLiteral("it is a folder, not a file");
    if (info.exists() && !info.isFile())
        return QStringLiteral("it is a device, not a regular file");
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read (%1)").arg(file.errorString());
    return {};
#endif
}

} // namespace

SettingsFileReading readSettingsFile(const QString& path, SettingsSource source)
{
    QFile file;
    if (source == SettingsSource::RegularFileOnly) {
        if (const QString why = openRegularFile(file, path); !why.isEmpty())
            return failure(why);
    } else {
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly))
            return failure(QStringLiteral("it cannot be read (%1)").arg(file.errorString()));
    }
    // One byte more than allowed tells a file that is too large, even one
    // whose size the system does not know beforehand.
    const QByteArray text = file.read(kMaxSettingsFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(QStringLiteral("it cannot be read (%1)").arg(file.errorString()));
    if (text.size() > kMaxSettingsFileBytes)
        return failure(QStringLiteral("it is larger than %1 bytes, too large for a settings file")
                           .arg(kMaxSettingsFileBytes));
    return parseSettingsFile(text);
}

QString writeSettingsFile(const QString& path, const PanelSettings& settings)
{
    // Written beside the file and renamed over it only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("it cannot be written (%1)").arg(file.errorString());
    file.write(settingsFileText(settings));
    if (!file.commit())
        return QStringLiteral("it cannot be written (%1)").arg(file.errorString());
    return {};
}

} // namespace vantrel
