#include "sweep_runner.h"

#include "command_lines.h"
#include "line_end.h"
#include "serial_link.h"

namespace vantrel {
namespace {

QString shownLine(const std::string& line)
{
    const std::string_view text = withoutLineEnd(line);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

SweepRunner::SweepRunner(SerialLink& link, QObject* parent)
    : QObject(parent)
    , m_link(link)
    , m_sender(link)
{
    connect(&m_sender, &PacedSender::finished, this, &SweepRunner::onLinesDone);
    connect(&m_sender, &PacedSender::writeFailed, this, [this] { fail(QString::fromLatin1(kRefusedLineText)); });
    connect(&m_dwellTimer, &MinimumTimer::timeout, this, &SweepRunner::onDwellDone);
    connect(&m_link, &SerialLink::portLost, this, [this](const QString& reason) {
        if (m_running)
            fail(reason);
    });
}

std::vector<std::string> SweepRunner::stepLines(const RegisterSet& previous, const RegisterSet& next, bool first,
                                                bool changedOnly)
{
    if (first || !changedOnly)
        return sendAllLines(next);
    return changedLines(previous, next);
}

std::vector<SweepStep> SweepRunner::stepsOf(const std::vector<SweepStepPlan>& planned, std::chrono::milliseconds dwell)
{
    std::vector<SweepStep> steps;
    steps.reserve(planned.size());
    for (const SweepStepPlan& step : planned)
        steps.push_back({step.set, step.point.dwell.value_or(dwell)});
    return steps;
}

bool SweepRunner::start(std::vector<SweepStep> steps, Options options)
{
    if (m_running || steps.empty() || !m_link.isOpen())
        return false;
    m_steps = std::move(steps);
    m_options = options;
    m_step = 0;
    m_pass = 1;
    m_running = true;
    m_stopRequested = false;
    m_anySent = false;
    m_amendPending = false;
    m_resending = false;
    m_sinceStart.start();
    beginStep();
    return true;
}

void SweepRunner::stop()
{
    if (!m_running)
        return;
    m_stopRequested = true;
    // The step in flight goes out whole: onLinesDone ends the sweep.
    if (m_sender.isBusy())
        return;
    // Between steps the last pause has passed already.
    m_dwellTimer.stop();
    end();
}

void SweepRunner::abandon()
{
    m_running = false;
    m_amendPending = false;
    m_resending = false;
    m_dwellTimer.stop();
    m_sender.abort();
}

bool SweepRunner::amend(const std::function<void(RegisterSet&)>& change)
{
    if (!m_running)
        return false;
    for (SweepStep& step : m_steps)
        change(step.set);
    m_amendPending = true;
    // Between steps it goes out now; a step in flight finishes first.
    if (!m_sender.isBusy()) {
        m_dwellTimer.stop();
        sendAmended();
    }
    return true;
}

void SweepRunner::sendAmended()
{
    m_amendPending = false;
    m_resending = true;
    const RegisterSet& set = m_steps[m_step].set;
    std::vector<std::string> lines = sendAllLines(set);
    m_stepLines.clear();
    for (const std::string& line : lines)
        m_stepLines << shownLine(line);
    m_lastSent = set;
    m_sender.start(std::move(lines));
}

QStringList SweepRunner::unsentLines() const
{
    if (!m_running || !m_sender.isBusy())
        return {};
    return m_stepLines.mid(static_cast<qsizetype>(m_sender.writtenCount()));
}

void SweepRunner::beginStep()
{
    const SweepStep& step = m_steps[m_step];
    std::vector<std::string> lines = stepLines(m_lastSent, step.set, !m_anySent, m_options.changedOnly);
    QStringList shown;
    for (const std::string& line : lines)
        shown << shownLine(line);
    m_lastSent = step.set;
    m_anySent = true;
    const std::chrono::nanoseconds at{m_sinceStart.nsecsElapsed()};
    m_stepLines = shown;
    m_stepAt = at;
    m_sinceStep.start();
    if (lines.empty()) {
        emit stepStarted(m_pass, static_cast<int>(m_step), shown, at);
        onLinesDone();
        return;
    }
    // The first line goes out inside start(), before anyone hears of the
    // step; a refused one ends the sweep there.
    m_sender.start(std::move(lines));
    if (m_running)
        emit stepStarted(m_pass, static_cast<int>(m_step), shown, at);
}

void SweepRunner::onLinesDone()
{
    if (!m_running)
        return;
    if (m_resending) {
        m_resending = false;
        emit amended();
    } else {
        emit stepSent(m_pass, static_cast<int>(m_step), m_stepLines, m_stepAt);
    }
    if (!m_running)
        return; // failed or stopped by a receiver
    // A change asked for meanwhile goes out even before a stop.
    if (m_amendPending) {
        sendAmended();
        return;
    }
    if (m_stopRequested) {
        end();
        return;
    }
    awaitDwell();
}

void SweepRunner::awaitDwell()
{
    // The rest of the dwell, counted from the step's first line; a step
    // with nothing to send still takes one line gap, so that a sweep whose
    // words never change does not spin.
    const std::chrono::nanoseconds sinceStep{m_sinceStep.nsecsElapsed()};
    const std::chrono::nanoseconds wanted =
        std::max<std::chrono::nanoseconds>(m_steps[m_step].dwell, PacedSender::kLineGap);
    if (sinceStep >= wanted) {
        advance();
        return;
    }
    m_dwellTimer.start(wanted - sinceStep);
}

void SweepRunner::onDwellDone()
{
    // A changed set on the wire goes out whole first; its end weighs the dwell again.
    if (m_running && !m_sender.isBusy())
        advance();
}

void SweepRunner::advance()
{
    if (m_step + 1 < m_steps.size()) {
        ++m_step;
    } else if (m_options.passes == 0 || m_pass < m_options.passes) {
        m_step = 0;
        ++m_pass;
    } else {
        m_running = false;
        emit finished();
        return;
    }
    beginStep();
}

void SweepRunner::fail(const QString& reason)
{
    if (!m_running)
        return;
    m_running = false;
    m_dwellTimer.stop();
    const bool inFlight = m_sender.isBusy();
    const auto out = static_cast<qsizetype>(m_sender.writtenCount());
    m_sender.abort();
    // A step whose last line went out is sent, though its pause was cut
    // short; one cut off earlier reports the lines that did go out.
    if (inFlight && out == m_stepLines.size() && !m_resending)
        emit stepSent(m_pass, static_cast<int>(m_step), m_stepLines, m_stepAt);
    emit failed(reason, shownLine(m_sender.lastWritten()), inFlight ? m_stepLines.mid(0, out) : QStringList());
}

void SweepRunner::end()
{
    m_running = false;
    emit stopped(m_pass, static_cast<int>(m_step));
}

} // namespace vantrel
