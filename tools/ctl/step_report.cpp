#include "step_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

#include "number_format.h"

namespace vantrel {
namespace {

QString number(double value, const char* mask) { return QString::fromStdString(formatMask(value, mask)); }

QString megahertz(double value) { return QString::fromStdString(plainNumber(value)) + QStringLiteral(" MHz"); }

double seconds(std::chrono::nanoseconds at) { return std::chrono::duration<double>(at).count(); }

} // namespace

StepReport::StepReport(const std::vector<SweepStepPlan>& steps, int passes)
    : m_steps(steps), m_passes(passes)
{
}

QString StepReport::where(const SweepStepPlan& step, int index, int count)
{
    const QString line = step.point.line > 0 ? QStringLiteral("line %1, ").arg(step.point.line) : QString();
    return QStringLiteral("step %1 of %2 (%3%4)").arg(index + 1).arg(count).arg(line, megahertz(step.point.mhz));
}

void StepReport::started(int pass, int index, const QStringList& lines, std::chrono::nanoseconds at)
{
    m_pass = pass;
    m_index = index;
    m_lines = lines;
    m_at = at;
    ++m_stepsStarted;
}

QString StepReport::current() const
{
    if (m_index < 0)
        return QStringLiteral("before the first step");
    QString text = where(m_steps[static_cast<std::size_t>(m_index)], m_index, static_cast<int>(m_steps.size()));
    if (m_passes != 1)
        text += QStringLiteral(", pass %1").arg(m_pass);
    return text;
}

QByteArray StepReport::textLine() const
{
    const SweepStepPlan& step = m_steps[static_cast<std::size_t>(m_index)];
    QString text = current() + QStringLiteral(": planned %1, error %2, %3 line%4 at %5 s")
                                   .arg(megahertz(step.plannedMHz), number(step.errorHz, "###0.0#Hz"))
                                   .arg(m_lines.size())
                                   .arg(m_lines.size() == 1 ? QString() : QStringLiteral("s"))
                                   .arg(number(seconds(m_at), "0.000"));
    for (const std::string& limit : step.limits)
        text += QStringLiteral("; chip: ") + QString::fromStdString(limit);
    return text.toLocal8Bit() + '\n';
}

QByteArray StepReport::jsonLine() const
{
    const SweepStepPlan& step = m_steps[static_cast<std::size_t>(m_index)];
    QJsonObject object;
    object.insert(QStringLiteral("pass"), m_pass);
    object.insert(QStringLiteral("step"), m_index + 1);
    object.insert(QStringLiteral("of"), static_cast<int>(m_steps.size()));
    if (step.point.line > 0)
        object.insert(QStringLiteral("line"), step.point.line);
    object.insert(QStringLiteral("t"), seconds(m_at));
    object.insert(QStringLiteral("asked_mhz"), step.point.mhz);
    object.insert(QStringLiteral("planned_mhz"), step.plannedMHz);
    object.insert(QStringLiteral("error_hz"), step.errorHz);
    object.insert(QStringLiteral("lines"), static_cast<int>(m_lines.size()));
    object.insert(QStringLiteral("sent"), QJsonArray::fromStringList(m_lines));
    QJsonArray limits;
    for (const std::string& limit : step.limits)
        limits.append(QString::fromStdString(limit));
    object.insert(QStringLiteral("chip_limits"), limits);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QString StepReport::progressLine() const
{
    QString text = current();
    if (m_passes == 0)
        return text;
    const long long total = static_cast<long long>(m_steps.size()) * m_passes;
    if (const std::optional<long long> left = secondsLeft(m_at, m_stepsStarted, total))
        text += QStringLiteral(", about %1 s left").arg(*left);
    return text;
}

QString StepReport::howFar(int pass, int index) const
{
    QString text = QStringLiteral("stopped after %1 of %2")
                       .arg(where(m_steps[static_cast<std::size_t>(index)], index, static_cast<int>(m_steps.size())))
                       .arg(m_passes == 0 ? QStringLiteral("a loop") : QStringLiteral("%1 pass(es)").arg(m_passes));
    if (m_passes != 1)
        text += QStringLiteral(", in pass %1").arg(pass);
    return text + QStringLiteral("; %1 step(s) sent in all").arg(m_stepsStarted);
}

QString StepReport::summary(qint64 elapsedNs) const
{
    return QStringLiteral("vantrel-ctl: %1 step(s) sent in %2 s")
        .arg(m_stepsStarted)
        .arg(number(seconds(std::chrono::nanoseconds(elapsedNs)), "0.000"));
}

} // namespace vantrel
