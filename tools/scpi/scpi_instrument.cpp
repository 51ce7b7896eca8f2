#include "scpi_instrument.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "chip.h"
#include "chip_check.h"
#include "command_lines.h"
#include "frequency_units.h"
#include "line_end.h"
#include "port_selection.h"
#include "register_decode.h"
#include "register_set_text.h"
#include "sweep_plan.h"
#include "sweep_points.h"

namespace vantrel {
namespace {

using scpi::Command;
using scpi::Mode;
using scpi::ProgramUnit;
using scpi::Value;
namespace error = scpi::error;

// The sweep engine counts whole milliseconds.
constexpr double kDwellResolutionSeconds = 0.001;
// The finest step a sweep takes: 1 Hz.
constexpr double kMinStepMHz = 1e-6;

void say(const QString& line)
{
    const QByteArray bytes = QStringLiteral("vantrel-scpi: %1\n").arg(line).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

// A frequency in the unit that reads best: "35 MHz", "4.4 GHz", "1 Hz"
// rather than "1E-06 MHz".
std::string shownFrequency(double mhz)
{
    const double size = std::abs(mhz);
    if (size >= 1000)
        return frequencyText(mhz / 1000) + " GHz";
    if (size >= 1 || size == 0)
        return frequencyText(mhz) + " MHz";
    if (size >= 0.001)
        return frequencyText(mhz * 1000) + " kHz";
    return frequencyText(mhz * 1000000) + " Hz";
}

QStringList shownLines(const std::vector<std::string>& lines)
{
    QStringList shown;
    for (const std::string& line : lines)
        shown << QString::fromStdString(std::string(withoutLineEnd(line)));
    return shown;
}

bool isWire(const ProgramUnit& unit, Mode mode)
{
    if (unit.query)
        return unit.command == Command::SelfTest;
    switch (unit.command) {
    case Command::Frequency:
    case Command::Power:
    case Command::Reference: return mode == Mode::Cw;
    case Command::FrequencyMode: return mode != Mode::Cw && unit.values.front().mode == Mode::Cw;
    case Command::Continuous: return mode != Mode::Cw && unit.values.front().flag;
    case Command::Output:
    case Command::Registers:
    case Command::MemoryStore:
    case Command::MemoryRecall:
    case Command::Initiate: return true;
    default: return false;
    }
}

// A value as given, MINimum and MAXimum standing for `low` and `high`.
double valueWithin(const Value& value, double low, double high)
{
    return value.kind == Value::Kind::Minimum ? low : value.kind == Value::Kind::Maximum ? high : value.number;
}

} // namespace

ScpiInstrument::ScpiInstrument(InstrumentSetup setup, QObject* parent)
    : QObject(parent)
    , m_setup(std::move(setup))
    , m_settings(m_setup.settings)
    , m_session(planned(m_setup.settings))
{
    m_set = m_session.plan().registers;
    m_setUsable = planProblem(m_session).empty();
    m_startMHz = m_stopMHz = m_setUsable ? m_session.plan().fout : 2400;
    updateConditions();
    connect(&m_link, &SerialLink::portLost, this, [this](const QString& reason) {
        say(reason);
        fail(error::kSystem, reason.toStdString());
        // Whatever the chip holds now, the next set goes out whole.
        m_board.reset();
        afterWire();
    });
    connect(&m_commands, &BoardCommands::finished, this, [this](BoardCommands::Command, const QString& reply) {
        for (const QString& line : QString::fromStdString(withLineFeeds(reply.toStdString())).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            say(QStringLiteral("board: ") + line);
        onJobOut();
        afterWire();
    });
    connect(&m_commands, &BoardCommands::aborted, this, [this](BoardCommands::Command, const QString& reason) {
        onJobCut(reason);
        afterWire();
    });
    connect(&m_commands, &BoardCommands::initTimedOut, this, [this] {
        endRecall(QString::fromLatin1(kNoRegisterSetText));
        afterWire();
    });
    connect(&m_link, &SerialLink::decodeRequested, this, [this](const RegisterSet& set) {
        if (m_job && (m_job->kind == JobKind::Recall || m_job->kind == JobKind::SelfTest) && !m_job->recalled)
            onRecalled(set);
    });
    connect(&m_runner, &SweepRunner::stepStarted, this, [this](int, int step, const QStringList&, std::chrono::nanoseconds) {
        m_sweepStep = step;
        m_board.reset(); // half a step on the wire until it is sent
    });
    connect(&m_runner, &SweepRunner::stepSent, this, [this](int, int step, const QStringList&, std::chrono::nanoseconds) {
        ++m_stepsSent;
        m_board = m_sweepSteps[static_cast<std::size_t>(step)].set;
        afterWire();
    });
    connect(&m_runner, &SweepRunner::amended, this, [this] {
        m_board = m_sweepSteps[static_cast<std::size_t>(m_sweepStep)].set;
        if (m_amendJob) {
            // OUTPut is what the board does now: the queries say so from here.
            if (m_amendJob->target)
                adopt(*m_amendJob->target);
            closeJob(*m_amendJob);
        }
        m_amendJob.reset();
        afterWire();
    });
    connect(&m_runner, &SweepRunner::finished, this, [this] { afterWire(); });
    connect(&m_runner, &SweepRunner::stopped, this, [this] {
        if (m_restartAfterStop) {
            m_restartAfterStop = false;
            // Not from inside the runner's own signal.
            QMetaObject::invokeMethod(this, [this] {
                if (!m_runner.isRunning() && m_mode != Mode::Cw) {
                    initiate();
                    afterWire();
                }
            }, Qt::QueuedConnection);
        }
        afterWire();
    });
    connect(&m_runner, &SweepRunner::failed, this, [this](const QString& reason, const QString&, const QStringList&) {
        m_board.reset();
        m_restartAfterStop = false;
        // An OUTPut that never went out changes nothing, and holds no *OPC?.
        if (m_amendJob)
            closeJob(*m_amendJob);
        m_amendJob.reset();
        failWire(reason);
        afterWire();
    });
}

bool ScpiInstrument::openPort(QString& error)
{
    const PortTarget target = choosePort(m_setup.portText);
    if (!target.canOpen()) {
        error = target.error.isEmpty() ? QStringLiteral("--port %1 names no port").arg(m_setup.portText) : target.error;
        return false;
    }
    const OpenOutcome outcome = m_link.open(target.device);
    error = outcome.message;
    if (outcome.opened)
        m_setup.portName = target.device;
    return outcome.opened;
}

void ScpiInstrument::setOutput(RegisterSet& set, bool on)
{
    set[4] = (set[4] & ~reg4::kRfOutputEnable.mask()) | pack(reg4::kRfOutputEnable, on ? 1u : 0u);
}

PlanSession ScpiInstrument::planned(const Settings& settings) const
{
    // As vantrel-plan runs its options: tracking acts from the run after the
    // first, then the presses.
    Settings first = settings;
    first.trackDivider = false;
    PlanSession session(first);
    session.setTracking(settings.trackDivider);
    session.press(m_setup.presses);
    return session;
}

void ScpiInstrument::pushError(scpi::Error error)
{
    const int bit = scpi::eventStatusBit(error.code);
    if (bit >= 0)
        m_status.eventStatus |= 1 << bit;
    m_errors.push(std::move(error));
}

void ScpiInstrument::failWire(const QString& reason)
{
    // A lost port has said so already, as it went.
    if (m_link.isOpen())
        fail(error::kSystem, reason.toStdString());
}

bool ScpiInstrument::ensurePort()
{
    if (m_link.isOpen())
        return true;
    QString why;
    if (openPort(why)) {
        say(QStringLiteral("opened %1 again").arg(m_setup.portName));
        return true;
    }
    fail(error::kSystem, why.toStdString());
    return false;
}

std::string ScpiInstrument::jobAnswer(quint64 job) const
{
    const auto found = m_jobAnswers.find(job);
    return found == m_jobAnswers.end() ? std::string() : found->second;
}

bool ScpiInstrument::ready(const ProgramUnit& unit, std::optional<quint64>& loopMark)
{
    const bool jobs = m_job || m_resetJob || m_commands.isBusy() || m_commands.isInitPending();
    if (isWire(unit, m_mode)) {
        if (jobs)
            return false;
        // A self-test's INIT between a sweep's lines would upset both.
        if (unit.command == Command::SelfTest)
            return !m_runner.isRunning();
        // A sweep that is ending still has its step on the wire; a running
        // one takes OUTPut as a change of its steps and refuses the rest.
        return !(m_runner.isRunning() && m_runnerStopping);
    }
    const bool waits = (unit.command == Command::OperationComplete && unit.query) || unit.command == Command::Wait;
    if (!waits)
        return true;
    if (jobs || m_amendJob)
        return false;
    if (!m_runner.isRunning())
        return true;
    // A loop never ends: what was sent before is on the wire once the step
    // under way has gone out.
    if (!m_sweepLoops || m_runnerStopping)
        return false;
    if (!loopMark)
        loopMark = m_stepsSent;
    return m_stepsSent > *loopMark;
}

void ScpiInstrument::afterWire()
{
    if (!m_runner.isRunning())
        m_runnerStopping = false;
    startQueuedWork();
    updateConditions();
    if (m_opcArmed) {
        const bool loopStepped = m_runner.isRunning() && m_sweepLoops && !m_runnerStopping && m_opcFromStep
                                 && m_stepsSent > *m_opcFromStep;
        if (!m_job && !m_resetJob && !m_amendJob && !m_commands.isBusy() && (!m_runner.isRunning() || loopStepped)) {
            m_status.eventStatus |= scpi::kOperationCompleteBit;
            m_opcArmed = false;
        }
    }
    emit changed();
}

// What waits for the wire to be free: a recalled set, *RST's set.
void ScpiInstrument::startQueuedWork()
{
    if (m_commands.isBusy() || m_commands.isInitPending() || m_runner.isRunning())
        return;
    if (m_job && m_job->recalled && m_job->kind == JobKind::Recall) {
        m_job->kind = JobKind::Send;
        m_job->recalled = false;
        if (!ensurePort() || !startLines(*m_job, true)) {
            closeJob(*m_job);
            m_job.reset();
        }
        return;
    }
    if (m_job || !m_resetJob)
        return;
    m_job = std::move(m_resetJob);
    m_resetJob.reset();
    if (!ensurePort() || !startLines(*m_job, true)) {
        closeJob(*m_job);
        m_job.reset();
    }
}

void ScpiInstrument::updateConditions()
{
    m_status.operation.setCondition(m_runner.isRunning() ? scpi::kOperationSweeping : 0);
    const bool breaks = m_setUsable && !checkChipLimits(m_session.settings(), m_session.result()).empty();
    m_status.questionable.setCondition(breaks ? scpi::kQuestionableChipLimit : 0);
}

bool ScpiInstrument::wireIdle() const
{
    return !m_commands.isBusy() && !m_commands.isInitPending() && !m_runner.isRunning() && !m_resetJob;
}

QStringList ScpiInstrument::unsentLines() const
{
    if (m_runner.isRunning())
        return m_runner.unsentLines();
    if (m_job && m_commands.isBusy())
        return m_job->lines.mid(static_cast<qsizetype>(m_commands.linesSent()));
    return {};
}

void ScpiInstrument::shutDown()
{
    m_resetJob.reset();
    stopSweep(false);
}

quint64 ScpiInstrument::openJob()
{
    const quint64 id = m_nextJob++;
    m_openJobs.insert(id);
    return id;
}

void ScpiInstrument::closeJob(Job& job)
{
    m_openJobs.erase(job.id);
    // Only the answers a client may still collect are kept.
    while (m_jobAnswers.size() > 64)
        m_jobAnswers.erase(m_jobAnswers.begin());
}

bool ScpiInstrument::startLines(Job& job, bool whole)
{
    const std::optional<RegisterSet> before = m_board;
    std::vector<std::string> lines;
    if (job.kind == JobKind::Store)
        lines = writeAllLines(job.set);
    else if (whole || !m_changedOnly || !before)
        lines = sendAllLines(job.set);
    else
        lines = changedLines(*before, job.set);
    job.lines = shownLines(lines);
    // Until the set is out the chip holds no known set. A first write that
    // fails ends the job from inside the call, so nothing of it is read after.
    m_board.reset();
    if (job.kind == JobKind::Store)
        return m_commands.writeAll(job.set);
    if (!before || lines.size() == sendAllLines(job.set).size())
        return m_commands.sendAll(job.set);
    return m_commands.sendChanged(*before, job.set);
}

quint64 ScpiInstrument::send(JobKind kind, const RegisterSet& set, std::optional<Target> target, bool whole)
{
    if (kind == JobKind::Send && !whole && m_changedOnly && m_board && *m_board == set) {
        // Nothing differs from what the chip holds.
        if (target)
            adopt(*target);
        return 0;
    }
    if (!ensurePort())
        return 0;
    m_job = Job{openJob(), kind, set, std::move(target), false, {}};
    const quint64 id = m_job->id;
    if (!startLines(*m_job, whole)) {
        fail(error::kSystem, "the port took no line");
        closeJob(*m_job);
        m_job.reset();
    }
    return id;
}

void ScpiInstrument::onJobOut()
{
    if (!m_job || m_job->kind == JobKind::Recall || m_job->kind == JobKind::SelfTest)
        return;
    m_board = m_job->set;
    if (m_job->target)
        adopt(*m_job->target);
    closeJob(*m_job);
    m_job.reset();
}

void ScpiInstrument::onJobCut(const QString& reason)
{
    if (!m_job)
        return;
    if (m_job->kind == JobKind::Recall || m_job->kind == JobKind::SelfTest) {
        endRecall(reason);
        return;
    }
    // Reg0 went out: the chip took the set, though the pause after it was cut short.
    if (m_commands.linesSent() == static_cast<std::size_t>(m_job->lines.size())) {
        onJobOut();
        return;
    }
    failWire(reason);
    closeJob(*m_job);
    m_job.reset();
}

std::optional<ScpiInstrument::Target> ScpiInstrument::target(const Settings& settings, const std::string& what)
{
    const PlanSession session = planned(settings);
    if (std::string problem = planProblem(session); !problem.empty()) {
        const PlanValues& plan = session.plan();
        if (session.result().outcome == PlanOutcome::ModLimit && plan.resolution > 0) {
            // The MOD limit as the window meets it: the step is too fine for
            // the comparison frequency; say which step would do.
            const double divider = settings.feedback ? 1.0 : std::max(plan.outDiv, 1.0);
            const double finest = std::ceil(plan.fcomp * 1000000 / divider / kMaxMod);
            problem = "MOD " + frequencyText(plan.denom) + " for a resolution of " + frequencyText(plan.resolution)
                      + " Hz at a comparison frequency of " + frequencyText(plan.fcomp)
                      + " MHz is above 4095: give a resolution of " + frequencyText(finest)
                      + " Hz or more (--resolution)";
        }
        fail(error::kDataOutOfRange, (what.empty() ? "" : what + ": ") + problem);
        return std::nullopt;
    }
    const ChipLimitBreaks limits = checkChipLimits(session.settings(), session.result());
    if (m_strict && !limits.empty()) {
        fail(error::kDataOutOfRange, limits.front().text());
        return std::nullopt;
    }
    return Target{settings, session, session.plan().registers};
}

quint64 ScpiInstrument::change(const Settings& settings, const std::string& what)
{
    std::optional<Target> next = target(settings, what);
    if (!next)
        return 0;
    if (m_mode != Mode::Cw) {
        adopt(*next);
        return 0;
    }
    const RegisterSet set = next->set;
    return send(JobKind::Send, set, std::move(next));
}

void ScpiInstrument::adopt(const Target& target)
{
    m_settings = target.settings;
    m_session = target.session;
    m_set = target.set;
    m_setUsable = true;
    updateConditions();
}

ScpiInstrument::Outcome ScpiInstrument::execute(const ProgramUnit& unit)
{
    if (unit.query && unit.command == Command::SelfTest) {
        // 0 once the board answered INIT; 1 without a port, or without an answer in 3 s.
        const quint64 job = selfTest();
        if (job == 0)
            return {"1"};
        return {std::nullopt, job, true};
    }
    if (unit.query)
        return {answer(unit)};
    return run(unit);
}

ScpiInstrument::Range ScpiInstrument::frequencyRange() const
{
    if (m_setup.presses.autoSet)
        return {kMinOutputMHz, kMaxOutputMHz};
    // Without "Auto Set >>" the divider stays where it is: the VCO's range divided by it.
    const double divider = std::ldexp(1.0, m_settings.outDivCont);
    const double vcoHigh = m_settings.prescale8 ? kMaxVcoMHz : kMaxVcoForPrescaler45MHz;
    return {std::max(kMinOutputMHz, kMinVcoMHz / divider), std::min(kMaxOutputMHz, vcoHigh / divider)};
}

bool ScpiInstrument::inOutputRange(double mhz, const std::string& what)
{
    const Range range = frequencyRange();
    if (mhz >= range.low && mhz <= range.high)
        return true;
    std::string text = what + " is outside the output range, " + shownFrequency(range.low) + " to "
                       + shownFrequency(range.high);
    if (!m_setup.presses.autoSet)
        text += " with the divider at " + frequencyText(std::ldexp(1.0, m_settings.outDivCont))
                + " (--auto-divider: " + shownFrequency(kMinOutputMHz) + " to " + shownFrequency(kMaxOutputMHz) + ")";
    fail(error::kDataOutOfRange, text);
    return false;
}

double ScpiInstrument::plannedMHz() const
{
    const PlanValues& plan = m_session.plan();
    return plan.fout + plan.errorHz / 1000000;
}

quint64 ScpiInstrument::setFrequency(const Value& value, const std::string& header)
{
    const Range range = frequencyRange();
    const double mhz = valueWithin(value, range.low, range.high);
    if (!inOutputRange(mhz, header + " " + shownFrequency(mhz)))
        return 0;
    Settings settings = m_settings;
    settings.foutText = exactDecimalText(mhz);
    return change(settings);
}

quint64 ScpiInstrument::setPower(const Value& value)
{
    int code = -1;
    if (value.kind == Value::Kind::Minimum)
        code = 0;
    else if (value.kind == Value::Kind::Maximum)
        code = kMaxPower;
    for (int i = 0; i <= kMaxPower && value.kind == Value::Kind::Number; ++i) {
        if (value.number == kPowerLevels[i])
            code = i;
    }
    if (code < 0) {
        fail(error::kDataOutOfRange, "the output power is -4, -1, 2 or 5 dBm");
        return 0;
    }
    Settings settings = m_settings;
    settings.pwr = code;
    return change(settings);
}

quint64 ScpiInstrument::setOutputState(bool on)
{
    // An OUTPut still on its way during a sweep is the state the next builds on.
    Settings settings = m_amendJob && m_amendJob->target ? m_amendJob->target->settings : m_settings;
    setOutput(settings, on);
    std::optional<Target> next = target(settings, "OUTP");
    if (!next)
        return 0;
    if (m_runner.isRunning()) {
        // Between two steps, as a whole set, and every later step keeps it;
        // the state is taken once that set is out.
        for (SweepStep& step : m_sweepSteps)
            setOutput(step.set, on);
        m_runner.amend([on](RegisterSet& set) { setOutput(set, on); });
        if (m_amendJob)
            closeJob(*m_amendJob);
        m_amendJob = Job{openJob(), JobKind::Amend, {}, std::move(next), false, {}};
        return m_amendJob->id;
    }
    if (m_mode == Mode::Cw) {
        const RegisterSet set = next->set;
        return send(JobKind::Send, set, std::move(next));
    }
    // SWEep or LIST: the set the chip holds, with its output switched.
    RegisterSet set = m_board.value_or(next->set);
    setOutput(set, on);
    return send(JobKind::Send, set, std::move(next));
}

quint64 ScpiInstrument::setRegisters(const std::string& text)
{
    // SCPI writes hexadecimal as #H...; the paste reader takes the digits.
    std::string words;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '#' && i + 1 < text.size() && (text[i + 1] == 'H' || text[i + 1] == 'h')) {
            ++i;
            continue;
        }
        words += text[i];
    }
    const RegisterSetReading reading = readRegisterSetText(words);
    if (!reading.set) {
        fail(error::kIllegalParameterValue, reading.error);
        return 0;
    }
    PlanSession session = planned(m_settings);
    loadRegisterSet(session, *reading.set);
    if (const std::string problem = planProblem(session); !problem.empty()) {
        fail(error::kDataOutOfRange, "the set gives " + problem);
        return 0;
    }
    const ChipLimitBreaks limits = checkChipLimits(session.settings(), session.result());
    if (m_strict && !limits.empty()) {
        fail(error::kDataOutOfRange, limits.front().text());
        return 0;
    }
    return send(JobKind::Send, *reading.set, Target{session.settings(), session, *reading.set}, true);
}

std::optional<std::chrono::milliseconds> ScpiInstrument::dwellOf(double seconds, const std::string& what)
{
    if (!(seconds >= 0 && seconds <= kMaxDwellSeconds)) {
        fail(error::kDataOutOfRange, what + " is 0 to 86400 s");
        return std::nullopt;
    }
    // Rounded to the engine's milliseconds, but never to nothing.
    if (seconds > 0 && seconds < kDwellResolutionSeconds) {
        fail(error::kDataOutOfRange, what + " " + scpi::decimalText(seconds) + " s is below the 1 ms resolution: give 0 or 1 ms or more");
        return std::nullopt;
    }
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

void ScpiInstrument::setSweepBound(const ProgramUnit& unit)
{
    const Value& value = unit.values.front();
    const Range range = frequencyRange();
    double start = m_startMHz;
    double stop = m_stopMHz;
    switch (unit.command) {
    case Command::SweepStart:
    case Command::SweepStop: {
        const double mhz = valueWithin(value, range.low, range.high);
        if (!inOutputRange(mhz, (unit.command == Command::SweepStart ? "FREQ:STAR " : "FREQ:STOP ") + shownFrequency(mhz)))
            return;
        (unit.command == Command::SweepStart ? start : stop) = mhz;
        break;
    }
    case Command::FrequencyCenter: {
        const double centre = valueWithin(value, range.low, range.high);
        const double half = (stop - start) / 2;
        start = centre - half;
        stop = centre + half;
        const std::string what = "FREQ:CENT " + shownFrequency(centre) + " with a span of " + shownFrequency(std::abs(2 * half)) + " starts or stops";
        if (!inOutputRange(start, what) || !inOutputRange(stop, what))
            return;
        break;
    }
    case Command::FrequencySpan: {
        const double span = valueWithin(value, 0, range.high - range.low);
        if (!(span >= 0)) {
            fail(error::kDataOutOfRange, "a span is 0 Hz or more");
            return;
        }
        const double centre = (start + stop) / 2;
        start = centre - span / 2;
        stop = centre + span / 2;
        const std::string what = "FREQ:SPAN " + shownFrequency(span) + " about " + shownFrequency(centre) + " starts or stops";
        if (!inOutputRange(start, what) || !inOutputRange(stop, what))
            return;
        break;
    }
    case Command::SweepStep: {
        const double step = std::abs(valueWithin(value, kMinStepMHz, range.high - range.low));
        if (!(step >= kMinStepMHz && step <= kMaxOutputMHz)) {
            fail(error::kDataOutOfRange, "the step is 1 Hz to " + shownFrequency(kMaxOutputMHz));
            return;
        }
        // The sweep goes from STARt towards STOP whichever is higher.
        m_stepMHz = step;
        return;
    }
    default: return;
    }
    m_startMHz = start;
    m_stopMHz = stop;
}

void ScpiInstrument::setSweepPoints(const Value& value)
{
    if (!(value.number >= 2 && value.number <= static_cast<double>(kMaxSweepPoints))) {
        fail(error::kDataOutOfRange, "SWE:POIN is 2 to 100000");
        return;
    }
    const double step = std::abs(m_stopMHz - m_startMHz) / (value.number - 1);
    if (!(step >= kMinStepMHz)) {
        fail(error::kSettingsConflict, "FREQ:STAR and FREQ:STOP are too close for that many points: the step would be below 1 Hz");
        return;
    }
    m_stepMHz = step;
}

void ScpiInstrument::setList(const ProgramUnit& unit)
{
    const bool append = unit.command == Command::ListFrequencyAppend || unit.command == Command::ListDwellAppend;
    const bool frequencies = unit.command == Command::ListFrequency || unit.command == Command::ListFrequencyAppend;
    const std::size_t had = append ? (frequencies ? m_listMHz.size() : m_listDwells.size()) : 0;
    if (had + unit.values.size() > kMaxSweepPoints) {
        fail(error::kDataOutOfRange, "a list holds at most 100000 points");
        return;
    }
    const std::string name = frequencies ? "LIST:FREQ" : "LIST:DWEL";
    std::vector<double> mhz;
    std::vector<std::chrono::milliseconds> dwells;
    for (std::size_t i = 0; i < unit.values.size(); ++i) {
        const double number = unit.values[i].number;
        const std::size_t ordinal = had + i + 1;
        const std::string what = name + " point " + scpi::wholeText(static_cast<long long>(ordinal));
        if (frequencies) {
            if (!inOutputRange(number, what + ", " + shownFrequency(number) + ","))
                return;
            mhz.push_back(number);
        } else {
            const std::optional<std::chrono::milliseconds> dwell = dwellOf(number, what);
            if (!dwell)
                return;
            dwells.push_back(*dwell);
        }
    }
    if (frequencies) {
        if (!append)
            m_listMHz.clear();
        m_listMHz.insert(m_listMHz.end(), mhz.begin(), mhz.end());
    } else {
        if (!append)
            m_listDwells.clear();
        m_listDwells.insert(m_listDwells.end(), dwells.begin(), dwells.end());
    }
}

ScpiInstrument::Outcome ScpiInstrument::run(const ProgramUnit& unit)
{
    const Value value = unit.values.empty() ? Value{} : unit.values.front();
    const bool sweeping = m_runner.isRunning();
    const auto busySweeping = [this, sweeping] {
        if (sweeping)
            fail(error::kSettingsConflict, "a sweep is running: ABORt it first");
        return sweeping;
    };
    const auto setMask = [this, &value](int& into, int most) {
        if (value.number < 0 || value.number > most)
            fail(error::kDataOutOfRange, "a mask is 0 to " + scpi::wholeText(most));
        else
            into = static_cast<int>(value.number);
    };
    switch (unit.command) {
    case Command::Reset: return {std::nullopt, reset()};
    case Command::ClearStatus:
        m_errors.clear();
        m_status.clearEvents();
        m_opcArmed = false;
        return {};
    case Command::EventEnable: setMask(m_status.eventEnable, 255); return {};
    case Command::ServiceEnable: setMask(m_status.serviceEnable, 255); return {};
    case Command::OperationEnable: setMask(m_status.operation.enable, 32767); return {};
    case Command::QuestionableEnable: setMask(m_status.questionable.enable, 32767); return {};
    case Command::StatusPreset: m_status.preset(); return {};
    case Command::OperationComplete:
        m_opcArmed = true;
        m_opcFromStep = m_stepsSent;
        afterWire();
        return {};
    case Command::Wait: return {};
    case Command::Frequency: return {std::nullopt, setFrequency(value, "FREQ")};
    case Command::SweepStart:
    case Command::SweepStop:
    case Command::SweepStep:
    case Command::FrequencyCenter:
    case Command::FrequencySpan: setSweepBound(unit); return {};
    case Command::SweepPoints: setSweepPoints(value); return {};
    case Command::Reference: {
        const double mhz = valueWithin(value, kMinRefInMHz, kMaxRefInMHz);
        if (!(mhz > 0)) {
            fail(error::kDataOutOfRange, "the reference must be above 0 Hz");
            return {};
        }
        Settings settings = m_settings;
        settings.frText = exactDecimalText(mhz);
        return {std::nullopt, change(settings, "a reference of " + shownFrequency(mhz))};
    }
    case Command::Power: return {std::nullopt, setPower(value)};
    case Command::Output:
        if (m_runner.isRunning() && m_runnerStopping)
            return {};
        return {std::nullopt, setOutputState(value.flag)};
    case Command::SweepDwell:
        if (const auto dwell = dwellOf(valueWithin(value, 0, kMaxDwellSeconds), "SWE:DWEL"))
            m_dwell = *dwell;
        return {};
    case Command::SweepChanged: m_changedOnly = value.flag; return {};
    case Command::ListFrequency:
    case Command::ListFrequencyAppend:
    case Command::ListDwell:
    case Command::ListDwellAppend: setList(unit); return {};
    case Command::FrequencyMode:
        if (busySweeping())
            return {};
        if (value.mode == Mode::Cw && m_mode != Mode::Cw) {
            // Back in CW the output is the CW frequency again, as FREQ? says.
            m_mode = Mode::Cw;
            if (m_setUsable)
                return {std::nullopt, send(JobKind::Send, m_set, std::nullopt)};
            return {};
        }
        m_mode = value.mode;
        if (m_continuous && m_mode != Mode::Cw)
            initiate();
        return {};
    case Command::Initiate: initiate(); return {};
    case Command::Continuous:
        m_continuous = value.flag;
        if (m_continuous && m_mode != Mode::Cw && !sweeping)
            initiate();
        else if (!m_continuous && sweeping && m_sweepLoops)
            stopSweep(false);
        return {};
    case Command::Abort:
        // With INIT:CONT ON the sweep starts over, as SCPI has it.
        if (sweeping)
            stopSweep(m_continuous);
        return {};
    case Command::SweepGeneration:
    case Command::SweepTrigger: {
        // Scripts written for a stepped generator name the one way this board sweeps.
        const bool generation = unit.command == Command::SweepGeneration;
        std::string word;
        for (const char c : unit.text)
            word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (word != (generation ? "STEP" : "AUTO"))
            fail(error::kIllegalParameterValue, generation ? "the board sweeps in steps: give STEP" : "each step follows its dwell: give AUTO");
        return {};
    }
    case Command::ChipStrict: m_strict = value.flag; return {};
    case Command::Registers:
        if (busySweeping())
            return {};
        return {std::nullopt, setRegisters(unit.text)};
    case Command::MemoryStore:
        if (busySweeping())
            return {};
        if (!m_setUsable) {
            fail(error::kSettingsConflict, "there is no complete set to store");
            return {};
        }
        return {std::nullopt, send(JobKind::Store, m_set, std::nullopt, true)};
    case Command::MemoryRecall:
        if (busySweeping())
            return {};
        return {std::nullopt, recall()};
    default: return {};
    }
}

void ScpiInstrument::initiate()
{
    if (m_mode == Mode::Cw) {
        fail(error::kSettingsConflict, "FREQ:MODE is CW: choose SWEep or LIST to sweep");
        return;
    }
    if (m_runner.isRunning()) {
        fail(error::kInitIgnored, "a sweep is running");
        return;
    }
    SweepPoints points;
    if (m_mode == Mode::Sweep) {
        points = linearSweep(m_startMHz, m_stopMHz, m_stopMHz < m_startMHz ? -m_stepMHz : m_stepMHz);
    } else {
        if (m_listMHz.empty()) {
            fail(error::kSettingsConflict, "LIST:FREQ holds no frequency");
            return;
        }
        if (m_listDwells.size() > 1 && m_listDwells.size() != m_listMHz.size()) {
            fail(error::kSettingsConflict, "LIST:DWEL holds " + scpi::wholeText(static_cast<long long>(m_listDwells.size()))
                                               + " times for " + scpi::wholeText(static_cast<long long>(m_listMHz.size()))
                                               + " frequencies: give one, or one for each");
            return;
        }
        for (std::size_t i = 0; i < m_listMHz.size(); ++i) {
            SweepPoint point{m_listMHz[i], std::nullopt, 0, static_cast<int>(i) + 1};
            if (!m_listDwells.empty())
                point.dwell = m_listDwells[m_listDwells.size() == 1 ? 0 : i];
            points.points.push_back(point);
        }
    }
    if (!points.ok()) {
        fail(error::kSettingsConflict, points.error);
        return;
    }
    // Every step is planned before anything is sent.
    const std::vector<SweepStepPlan> planned = planSweep(points.points, m_settings, m_setup.presses, m_strict);
    for (const SweepStepPlan& step : planned) {
        if (!step.usable()) {
            fail(error::kDataOutOfRange, "step " + scpi::wholeText(step.point.ordinal) + " ("
                                             + frequencyText(step.point.mhz) + " MHz): " + step.problem);
            return;
        }
    }
    if (!ensurePort())
        return;
    m_sweepLoops = m_continuous;
    m_runnerStopping = false;
    m_sweepSteps = SweepRunner::stepsOf(planned, m_dwell);
    m_sweepStep = 0;
    m_runner.start(m_sweepSteps, {m_changedOnly, m_continuous ? 0 : 1});
    updateConditions();
}

void ScpiInstrument::stopSweep(bool restart)
{
    if (!m_runner.isRunning() || m_runnerStopping)
        return;
    m_runnerStopping = true;
    // Set first: a stop between steps ends the sweep inside the call.
    m_restartAfterStop = restart;
    m_runner.stop();
}

quint64 ScpiInstrument::reset()
{
    stopSweep(false);
    m_restartAfterStop = false;
    m_mode = Mode::Cw;
    m_stepMHz = 1;
    m_dwell = std::chrono::milliseconds(0);
    m_listMHz.clear();
    m_listDwells.clear();
    m_changedOnly = true;
    m_continuous = false;
    m_strict = true;
    m_opcArmed = false;
    // The options' state with the RF output off, as a generator comes out of a reset.
    Settings settings = m_setup.settings;
    setOutput(settings, false);
    PlanSession session = planned(settings);
    const bool usable = planProblem(session).empty();
    m_startMHz = m_stopMHz = usable ? session.plan().fout : 2400;
    if (m_resetJob) {
        closeJob(*m_resetJob);
        m_resetJob.reset();
    }
    if (!usable) {
        // Nothing complete to send: the state is what the options give.
        adopt(Target{settings, session, session.plan().registers});
        m_setUsable = false;
        return 0;
    }
    const RegisterSet set = session.plan().registers;
    m_resetJob = Job{openJob(), JobKind::Reset, set, Target{settings, session, set}, false, {}};
    const quint64 id = m_resetJob->id;
    startQueuedWork();
    return id;
}

quint64 ScpiInstrument::recall()
{
    if (!ensurePort())
        return 0;
    m_link.takePendingText();
    m_job = Job{openJob(), JobKind::Recall, {}, std::nullopt, false, {QStringLiteral("INIT")}};
    const quint64 id = m_job->id;
    if (!m_commands.init() && m_job && m_job->id == id) {
        fail(error::kSystem, "the port took no line");
        closeJob(*m_job);
        m_job.reset();
    }
    return id;
}

quint64 ScpiInstrument::selfTest()
{
    if (!m_link.isOpen())
        return 0;
    m_link.takePendingText();
    m_job = Job{openJob(), JobKind::SelfTest, {}, std::nullopt, false, {QStringLiteral("INIT")}};
    const quint64 id = m_job->id;
    m_jobAnswers[id] = "1";
    if (!m_commands.init() && m_job && m_job->id == id) {
        closeJob(*m_job);
        m_job.reset();
    }
    return id;
}

void ScpiInstrument::onRecalled(const RegisterSet& set)
{
    m_link.takePendingText();
    if (m_job->kind == JobKind::SelfTest) {
        m_jobAnswers[m_job->id] = "0";
        closeJob(*m_job);
        m_job.reset();
        afterWire();
        return;
    }
    if (const std::string bad = notAWholeSet(set); !bad.empty()) {
        endRecall(QString::fromStdString(bad));
        afterWire();
        return;
    }
    PlanSession session = planned(m_settings);
    loadRegisterSet(session, set);
    if (const std::string problem = planProblem(session); !problem.empty()) {
        endRecall(QStringLiteral("the set read back gives %1").arg(QString::fromStdString(problem)));
        afterWire();
        return;
    }
    // The recalled set goes to the chip whole once the INIT's pause is over.
    m_job->set = set;
    m_job->target = Target{session.settings(), session, set};
    m_job->recalled = true;
    afterWire();
}

void ScpiInstrument::endRecall(const QString& problem)
{
    if (!m_job || !(m_job->kind == JobKind::Recall || m_job->kind == JobKind::SelfTest))
        return;
    if (m_job->kind == JobKind::Recall && !problem.isEmpty() && m_link.isOpen())
        fail(error::kSystem, problem.toStdString());
    closeJob(*m_job);
    m_job.reset();
}

} // namespace vantrel
