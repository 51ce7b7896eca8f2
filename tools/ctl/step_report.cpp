#include "step_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

#include "number_format.h"
#include "number_reader.h"
#include "loop_report.h"
#include "plan_report.h"

namespace vantrel {
namespace {

constexpr const char* kSecondsMask = "0.000";

QString number(double value, const char* mask) { return QString::fromStdString(formatMask(value, mask)); }

// "0.0Hz" for an error of -2.27e-07 Hz, not the "-0.0Hz" of the mask alone.
QString errorHzText(double errorHz) { return QString::fromStdString(errorText(errorHz)); }

QString megahertz(double value) { return QString::fromStdString(plainNumber(value)) + QStringLiteral(" MHz"); }

double seconds(std::chrono::nanoseconds at) { return std::chrono::duration<double>(at).count(); }

QJsonObject stepObject(const SweepStepPlan& step, int points)
{
    QJsonObject object;
    object.insert(QStringLiteral("step"), step.point.ordinal);
    object.insert(QStringLiteral("of"), points);
    if (step.point.line > 0)
        object.insert(QStringLiteral("line"), step.point.line);
    // "2200.2", not the 2200.2000000000003 that the sum of start and steps holds.
    object.insert(QStringLiteral("asked_mhz"), shownNumber(step.point.mhz));
    object.insert(QStringLiteral("planned_mhz"), shownNumber(step.plannedMHz));
    object.insert(QStringLiteral("error_hz"), shownNumber(step.errorHz, kErrorHzMask));
    QJsonArray limits;
    for (const std::string& limit : step.limits)
        limits.append(QString::fromStdString(limit));
    object.insert(QStringLiteral("chip_limits"), limits);
    object.insert(QStringLiteral("quality"), qualityValue(step.quality));
    if (step.loop)
        object.insert(QStringLiteral("loop"), loopValue(*step.loop));
    return object;
}

QByteArray jsonLineOf(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n'; }

QString linesCount(qsizetype count) { return QStringLiteral("%1 line%2").arg(count).arg(count == 1 ? "" : "s"); }

} // namespace

StepReport::StepReport(const std::vector<SweepStepPlan>& steps, int points, int passes)
    : m_steps(steps), m_points(points), m_passes(passes)
{
}

QString StepReport::where(const SweepStepPlan& step, int points)
{
    const QString line = step.point.line > 0 ? QStringLiteral("line %1, ").arg(step.point.line) : QString();
    return QStringLiteral("step %1 of %2 (%3%4)").arg(step.point.ordinal).arg(points).arg(line, megahertz(step.point.mhz));
}

void StepReport::started(int pass, int index, std::chrono::nanoseconds at)
{
    m_pass = pass;
    m_index = index;
    m_startedAt = at;
    if (++m_stepsStarted == 2)
        m_secondStartedAt = at;
}

void StepReport::sent(int pass, int index, const QStringList& lines, std::chrono::nanoseconds at)
{
    m_sentPass = pass;
    m_sentIndex = index;
    m_lines = lines;
    m_sentAt = at;
    ++m_stepsSent;
}

QString StepReport::at(int pass, int index) const
{
    if (index < 0)
        return QStringLiteral("before the first step");
    QString text = where(m_steps[static_cast<std::size_t>(index)], m_points);
    if (m_passes != 1)
        text += QStringLiteral(", pass %1").arg(pass);
    return text;
}

QString StepReport::current() const { return at(m_pass, m_index); }

QByteArray StepReport::textLine() const
{
    const SweepStepPlan& step = m_steps[static_cast<std::size_t>(m_sentIndex)];
    QString text = at(m_sentPass, m_sentIndex)
                   + QStringLiteral(": planned %1, error %2, %3 at %4 s")
                         .arg(megahertz(step.plannedMHz), errorHzText(step.errorHz), linesCount(m_lines.size()),
                              number(seconds(m_sentAt), kSecondsMask));
    for (const std::string& limit : step.limits)
        text += QStringLiteral("; chip: ") + QString::fromStdString(limit);
    return text.toLocal8Bit() + '\n';
}

QByteArray StepReport::jsonLine() const
{
    QJsonObject object = stepObject(m_steps[static_cast<std::size_t>(m_sentIndex)], m_points);
    object.insert(QStringLiteral("pass"), m_sentPass);
    object.insert(QStringLiteral("t"), shownNumber(seconds(m_sentAt), kSecondsMask));
    object.insert(QStringLiteral("lines"), static_cast<int>(m_lines.size()));
    object.insert(QStringLiteral("sent"), QJsonArray::fromStringList(m_lines));
    return jsonLineOf(object);
}

QByteArray StepReport::dryRunLine(int index, const QStringList& lines, bool json) const
{
    const SweepStepPlan& step = m_steps[static_cast<std::size_t>(index)];
    if (json) {
        QJsonObject object = stepObject(step, m_points);
        object.insert(QStringLiteral("lines"), static_cast<int>(lines.size()));
        object.insert(QStringLiteral("would_send"), QJsonArray::fromStringList(lines));
        return jsonLineOf(object);
    }
    QString text = where(step, m_points)
                   + QStringLiteral(": planned %1, error %2, %3").arg(megahertz(step.plannedMHz),
                                                                     errorHzText(step.errorHz),
                                                                     linesCount(lines.size()));
    if (!lines.isEmpty())
        text += QStringLiteral(": ") + lines.join(QLatin1Char(' '));
    for (const std::string& limit : step.limits)
        text += QStringLiteral("; chip: ") + QString::fromStdString(limit);
    return text.toLocal8Bit() + '\n';
}

QString StepReport::progressLine() const
{
    QString text = current();
    if (m_passes == 0)
        return text;
    // Paced by the steps since the second: with --changed-only the first
    // sends a whole set, six times the lines of the others.
    const long long total = static_cast<long long>(m_steps.size()) * m_passes;
    if (m_stepsStarted < 2)
        return text;
    if (const std::optional<long long> left =
            secondsLeft(m_startedAt - m_secondStartedAt, m_stepsStarted - 1, total - 1))
        text += QStringLiteral(", about %1 s left").arg(*left);
    return text;
}

QString StepReport::howFar(int pass, int index) const
{
    QString text = QStringLiteral("stopped after %1 of %2")
                       .arg(where(m_steps[static_cast<std::size_t>(index)], m_points))
                       .arg(m_passes == 0 ? QStringLiteral("a loop") : QStringLiteral("%1 pass(es)").arg(m_passes));
    if (m_passes != 1)
        text += QStringLiteral(", in pass %1").arg(pass);
    return text + QStringLiteral("; %1 step(s) sent in all").arg(m_stepsSent);
}

QString StepReport::summary(qint64 elapsedNs) const
{
    return QStringLiteral("vantrel-ctl: %1 step(s) sent in %2 s")
        .arg(m_stepsSent)
        .arg(number(seconds(std::chrono::nanoseconds(elapsedNs)), kSecondsMask));
}

} // namespace vantrel
