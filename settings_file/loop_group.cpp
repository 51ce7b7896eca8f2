#include "loop_group.h"

#include <QJsonValue>
#include <QStringList>

#include <algorithm>
#include <array>
#include <utility>

namespace vantrel {
namespace {

constexpr char kFilterKey[] = "Filter";
constexpr char kKvKey[] = "KvMHzPerV";
constexpr char kRsetKey[] = "RsetKOhm";
constexpr char kDesignKey[] = "Design";
constexpr char kJitterStartKey[] = "JitterStartHz";
constexpr char kJitterStopKey[] = "JitterStopHz";

template <typename Filter>
auto partsOf(Filter& f)
{
    return std::array{std::pair{"C1", &f.c1}, std::pair{"C2", &f.c2}, std::pair{"C3", &f.c3},
                      std::pair{"R2", &f.r2}, std::pair{"R3", &f.r3}};
}

template <typename Target>
auto targetOf(Target& t)
{
    return std::array{std::pair{"CrossoverHz", &t.crossoverHz}, std::pair{"PhaseMarginDeg", &t.phaseMarginDeg},
                      std::pair{"Gamma", &t.gamma}, std::pair{"T31", &t.t31}};
}

QString name(const QString& path) { return QLatin1Char('"') + QLatin1String(kLoopGroupKey) + '.' + path + '"'; }

// Reads the numbers named in `members` from `object`; why not, naming the member under `path`.
template <std::size_t N>
QString readNumbers(const QJsonObject& object, const std::array<std::pair<const char*, double*>, N>& members,
                    const QString& path)
{
    QStringList known;
    for (const auto& [key, target] : members) {
        known << QLatin1String(key);
        const QJsonValue value = object.value(QLatin1String(key));
        const QString member = name(path + QLatin1String(key));
        if (value.isUndefined())
            return member + QStringLiteral(" is missing");
        if (!value.isDouble())
            return member + QStringLiteral(" is not a number");
        *target = value.toDouble();
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!known.contains(it.key()))
            return QStringLiteral("unknown member ") + name(path + it.key());
    }
    return {};
}

// The object under `key`, null for none; why not in `error`.
std::optional<QJsonObject> objectOrNull(const QJsonObject& group, const char* key, bool& isNull, QString& error)
{
    const QJsonValue value = group.value(QLatin1String(key));
    isNull = value.isNull();
    if (value.isUndefined())
        error = name(QLatin1String(key)) + QStringLiteral(" is missing");
    else if (!isNull && !value.isObject())
        error = name(QLatin1String(key)) + QStringLiteral(" is not null or an object");
    return value.isObject() ? std::optional<QJsonObject>(value.toObject()) : std::nullopt;
}

} // namespace

QJsonObject loopGroup(const LoopSettings& loop)
{
    QJsonObject group;
    if (loop.filter) {
        QJsonObject parts;
        for (const auto& [key, value] : partsOf(*loop.filter))
            parts.insert(QLatin1String(key), *value);
        group.insert(QLatin1String(kFilterKey), parts);
    } else {
        group.insert(QLatin1String(kFilterKey), QJsonValue::Null);
    }
    group.insert(QLatin1String(kKvKey), loop.kvMHzPerV);
    group.insert(QLatin1String(kRsetKey), loop.rsetKOhm);
    if (loop.target) {
        QJsonObject target;
        for (const auto& [key, value] : targetOf(*loop.target))
            target.insert(QLatin1String(key), *value);
        group.insert(QLatin1String(kDesignKey), target);
    } else {
        group.insert(QLatin1String(kDesignKey), QJsonValue::Null);
    }
    group.insert(QLatin1String(kJitterStartKey), loop.range.startHz);
    group.insert(QLatin1String(kJitterStopKey), loop.range.stopHz);
    return group;
}

QString readLoopGroup(const QJsonObject& group, LoopSettings& loop)
{
    QString error;
    bool isNull = false;
    const QString filterPath = QLatin1String(kFilterKey) + '.';
    if (const std::optional<QJsonObject> parts = objectOrNull(group, kFilterKey, isNull, error)) {
        LoopFilter filter;
        error = readNumbers(*parts, partsOf(filter), filterPath);
        if (error.isEmpty()) {
            if (const std::string why = filterError(filter); !why.empty())
                return name(QLatin1String(kFilterKey)) + QStringLiteral(" is no filter: ") + QString::fromStdString(why);
            loop.filter = filter;
        }
    } else if (error.isEmpty()) {
        loop.filter.reset();
    }
    if (!error.isEmpty())
        return error;

    const std::array<std::pair<const char*, double*>, 4> numbers{
        std::pair{kKvKey, &loop.kvMHzPerV}, std::pair{kRsetKey, &loop.rsetKOhm},
        std::pair{kJitterStartKey, &loop.range.startHz}, std::pair{kJitterStopKey, &loop.range.stopHz}};
    for (const auto& [key, target] : numbers) {
        const QJsonValue value = group.value(QLatin1String(key));
        if (value.isUndefined())
            return name(QLatin1String(key)) + QStringLiteral(" is missing");
        if (!value.isDouble())
            return name(QLatin1String(key)) + QStringLiteral(" is not a number");
        *target = value.toDouble();
    }
    if (const std::string why = circuitError(loop.kvMHzPerV, loop.rsetKOhm); !why.empty())
        return name(QLatin1String(kKvKey)) + QStringLiteral(" or ") + name(QLatin1String(kRsetKey))
               + QStringLiteral(": ") + QString::fromStdString(why);
    if (const std::string why = jitterRangeError(loop.range); !why.empty())
        return name(QLatin1String(kJitterStartKey)) + QStringLiteral(" to ") + name(QLatin1String(kJitterStopKey))
               + QStringLiteral(": ") + QString::fromStdString(why);

    const QString designPath = QLatin1String(kDesignKey) + '.';
    if (const std::optional<QJsonObject> target = objectOrNull(group, kDesignKey, isNull, error)) {
        DesignTarget design;
        error = readNumbers(*target, targetOf(design), designPath);
        if (error.isEmpty()) {
            if (const std::string why = targetError(design); !why.empty())
                return name(QLatin1String(kDesignKey)) + QStringLiteral(" is no target: ") + QString::fromStdString(why);
            loop.target = design;
        }
    } else if (error.isEmpty()) {
        loop.target.reset();
    }
    if (!error.isEmpty())
        return error;
    for (auto it = group.begin(); it != group.end(); ++it) {
        const QString key = it.key();
        if (key != QLatin1String(kFilterKey) && key != QLatin1String(kDesignKey)
            && std::none_of(numbers.begin(), numbers.end(), [&key](const auto& n) { return key == QLatin1String(n.first); }))
            return QStringLiteral("unknown member ") + name(key);
    }
    return {};
}

} // namespace vantrel
