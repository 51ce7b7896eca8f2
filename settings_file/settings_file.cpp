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
#include "chip_options.h"
#include "loop_group.h"
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
constexpr char kChipKey[] = "chip";
constexpr char kQualityKey[] = "quality";
// In the quality group: kHz, or null while it is assumed.
constexpr char kLoopBandwidthKey[] = "LoopBandwidth";
// In the chip group beside the options' own fields.
constexpr char kMuxCodeKey[] = "MuxCode";
constexpr char kFollowKey[] = "FollowDatasheet";
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

QString readChipField(const ChipOptionField& field, const QJsonValue& value, ChipOptions& options)
{
    const QString name = member(kChipKey, field.name.data());
    switch (field.kind) {
    case ChipOptionKind::Switch:
        if (!value.isBool())
            return name + QStringLiteral(" is not true or false");
        field.set(options, value.toBool() ? 1 : 0);
        return {};
    case ChipOptionKind::Number: {
        if (!value.isDouble())
            return name + QStringLiteral(" is not a number");
        const double number = value.toDouble();
        if (number != std::floor(number))
            return name + QStringLiteral(" is %1, not a whole number").arg(numberText(number));
        if (number < 0 || number > field.field.maxValue())
            return name + QStringLiteral(" is %1, outside 0 to %2").arg(numberText(number)).arg(field.field.maxValue());
        field.set(options, static_cast<std::uint32_t>(number));
        return {};
    }
    case ChipOptionKind::Choice: {
        // Every code has its word, those only a set read back brings too.
        if (value.isString()) {
            if (const std::optional<std::uint32_t> code = field.codeNamed(value.toString().toStdString())) {
                field.set(options, *code);
                return {};
            }
        }
        QStringList words;
        for (const ChipOptionChoice& choice : field.choices)
            words << QString::fromLatin1(choice.word.data(), qsizetype(choice.word.size()));
        return name + QStringLiteral(" is not one of ") + words.join(QStringLiteral(", "));
    }
    }
    return {};
}

QString readChip(const QJsonObject& group, PanelSettings& panel)
{
    ChipOptions& options = panel.settings.chip;
    QStringList known;
    const auto present = [&group, &known](const char* name, QJsonValue& value) -> QString {
        known << QLatin1String(name);
        value = group.value(QLatin1String(name));
        return value.isUndefined() ? member(kChipKey, name) + QStringLiteral(" is missing") : QString();
    };
    QJsonValue value;
    for (const ChipOptionField& field : chipOptionFields()) {
        QString error = present(field.name.data(), value);
        if (error.isEmpty())
            error = readChipField(field, value, options);
        if (!error.isEmpty())
            return error;
    }
    if (QString error = present(kMuxCodeKey, value); !error.isEmpty())
        return error;
    if (value.isNull()) {
        options.muxCode.reset();
    } else if (value.isDouble() && value.toDouble() >= 0 && value.toDouble() <= reg2::kMuxout.maxValue()
               && value.toDouble() == std::floor(value.toDouble())
               && isMuxOptionCode(static_cast<std::uint32_t>(value.toDouble()))) {
        options.muxCode = static_cast<MuxOut>(static_cast<std::uint32_t>(value.toDouble()));
    } else {
        return member(kChipKey, kMuxCodeKey) + QStringLiteral(" is not null, 1, 2, 5 or 7");
    }
    if (QString error = present(kFollowKey, value); !error.isEmpty())
        return error;
    if (!value.isBool())
        return member(kChipKey, kFollowKey) + QStringLiteral(" is not true or false");
    panel.followDatasheet = value.toBool();
    return unknownMember(group, QLatin1String(kChipKey), known);
}

QString readQuality(const QJsonObject& group, PanelSettings& panel)
{
    const QJsonValue value = group.value(QLatin1String(kLoopBandwidthKey));
    const QString name = member(kQualityKey, kLoopBandwidthKey);
    if (value.isUndefined())
        return name + QStringLiteral(" is missing");
    if (value.isNull()) {
        panel.loopBandwidth.setKHz.reset();
    } else if (!value.isDouble()) {
        return name + QStringLiteral(" is not null or a number");
    } else if (!isLoopBandwidth(value.toDouble())) {
        return name + QStringLiteral(" is %1, outside %2 to %3 kHz")
                          .arg(numberText(value.toDouble()), numberText(kMinLoopBandwidthKHz),
                               numberText(kMaxLoopBandwidthKHz));
    } else {
        panel.loopBandwidth.setKHz = value.toDouble();
    }
    return unknownMember(group, QLatin1String(kQualityKey), {QLatin1String(kLoopBandwidthKey)});
}

} // namespace

QJsonObject chipOptionsObject(const ChipOptions& options)
{
    QJsonObject object;
    for (const ChipOptionField& field : chipOptionFields()) {
        const QString name = QString::fromLatin1(field.name.data(), qsizetype(field.name.size()));
        const std::uint32_t code = field.get(options);
        switch (field.kind) {
        case ChipOptionKind::Switch: object.insert(name, code != 0); break;
        case ChipOptionKind::Number: object.insert(name, static_cast<qint64>(code)); break;
        case ChipOptionKind::Choice: {
            const ChipOptionChoice* choice = field.choice(code);
            object.insert(name, choice ? QString::fromLatin1(choice->word.data(), qsizetype(choice->word.size()))
                                       : QString::number(code));
            break;
        }
        }
    }
    object.insert(QLatin1String(kMuxCodeKey),
                  options.muxCode ? QJsonValue(static_cast<qint64>(*options.muxCode)) : QJsonValue(QJsonValue::Null));
    return object;
}

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
    QJsonObject chip = chipOptionsObject(panel.settings.chip);
    chip.insert(QLatin1String(kFollowKey), panel.followDatasheet);
    QJsonObject top;
    top.insert(QLatin1String(kFormatKey), QLatin1String(kSettingsFormat));
    top.insert(QLatin1String(kVersionKey), kSettingsVersion);
    top.insert(QLatin1String(kTextsKey), texts);
    top.insert(QLatin1String(kChecksKey), checks);
    top.insert(QLatin1String(kMuxKey), mux);
    top.insert(QLatin1String(kScrollsKey), scrolls);
    top.insert(QLatin1String(kChipKey), chip);
    QJsonObject quality;
    quality.insert(QLatin1String(kLoopBandwidthKey), panel.loopBandwidth.setKHz
                                                         ? QJsonValue(*panel.loopBandwidth.setKHz)
                                                         : QJsonValue(QJsonValue::Null));
    top.insert(QLatin1String(kQualityKey), quality);
    top.insert(QLatin1String(kLoopGroupKey), loopGroup(panel.loop));
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
    const double number = version.toDouble();
    if (number != kSettingsVersionWithoutChip && number != kSettingsVersionWithoutQuality
        && number != kSettingsVersionWithoutLoop && number != kSettingsVersion) {
        return failure(QStringLiteral("it is settings file version %1, and this program reads versions %2 to %3")
                           .arg(numberText(number))
                           .arg(kSettingsVersionWithoutChip)
                           .arg(kSettingsVersion));
    }
    const bool withChip = number >= kSettingsVersionWithoutQuality;
    const bool withQuality = number >= kSettingsVersionWithoutLoop;
    const bool withLoop = number >= kSettingsVersion;

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
    // A version 1 file has no chip options: they keep their defaults.
    if (error.isEmpty() && withChip) {
        if (const std::optional<QJsonObject> chip = groupOf(top, kChipKey, error))
            error = readChip(*chip, panel);
        // Choosing a code no button offers clears the buttons: a file with both was not written here.
        if (error.isEmpty() && panel.settings.chip.muxCode && panel.settings.mux != MuxButton::NoneSelected)
            error = member(kChipKey, kMuxCodeKey) + QStringLiteral(" and ") + quoted(QLatin1String(kMuxKey))
                    + QStringLiteral(" both choose the MUXOUT code");
    }
    // Before version 3 there is no loop bandwidth: it stays assumed.
    if (error.isEmpty() && withQuality) {
        if (const std::optional<QJsonObject> quality = groupOf(top, kQualityKey, error))
            error = readQuality(*quality, panel);
    }
    // Before version 4 there is no loop filter: none is entered.
    if (error.isEmpty() && withLoop) {
        if (const std::optional<QJsonObject> loop = groupOf(top, kLoopGroupKey, error))
            error = readLoopGroup(*loop, panel.loop);
        panel.loopBandwidth.circuit = panel.loop.circuit();
    }
    if (error.isEmpty()) {
        QStringList known;
        for (const char* key : {kFormatKey, kVersionKey, kTextsKey, kChecksKey, kMuxKey, kScrollsKey})
            known << QLatin1String(key);
        if (withChip)
            known << QLatin1String(kChipKey);
        if (withQuality)
            known << QLatin1String(kQualityKey);
        if (withLoop)
            known << QLatin1String(kLoopGroupKey);
        error = unknownMember(top, QString(), known);
    }
    if (!error.isEmpty())
        return failure(error);
    SettingsFileReading reading;
    reading.settings = std::move(panel);
    return reading;
}

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
