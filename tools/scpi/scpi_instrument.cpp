#include "scpi_instrument.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdio>

#include "chip.h"
#include "chip_check.h"
#include "frequency_units.h"
#include "hex_codec.h"
#include "line_end.h"
#include "number_reader.h"
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

// The output power codes 0..3 in dBm (Register 4, "Output Power").
constexpr int kPowerLevels[] = {-4, -1, 2, 5};
// A dwell beyond a day is taken for a typing slip, as vantrel-ctl does.
constexpr double kMaxDwellSeconds = 24 * 3600;

void say(const QString& line)
{
    const QByteArray bytes = QStringLiteral("vantrel-scpi: %1\n").arg(line).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

std::string flagText(bool on) { return on ? "1" : "0"; }

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string joined(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : ",") + item;
    return out;
}

bool isWire(const ProgramUnit& unit, Mode mode)
{
    if (unit.query)
        return false;
    switch (unit.command) {
    case Command::Frequency:
    case Command::Power:
    case Command::Output:
    case Command::Reference: return mode == Mode::Cw;
    case Command::FrequencyMode: return mode != Mode::Cw && unit.values.front().mode == Mode::Cw;
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
    reset();
    connect(&m_link, &SerialLink::portLost, this, [this](const QString& reason) {
        say(reason);
        fail(error::kSystem, reason.toStdString());
        afterWire();
    });
    connect(&m_commands, &BoardCommands::finished, this, [this](BoardCommands::Command, const QString& reply) {
        for (const QString& line : QString::fromStdString(withLineFeeds(reply.toStdString())).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            say(QStringLiteral("board: ") + line);
        afterWire();
    });
    connect(&m_commands, &BoardCommands::aborted, this, [this](BoardCommands::Command command, const QString& reason) {
        failWire(reason);
        if (command == BoardCommands::Command::Init)
            endRecall({});
        afterWire();
    });
    connect(&m_commands, &BoardCommands::initTimedOut, this, [this] {
        endRecall(QString::fromLatin1(kNoRegisterSetText));
        afterWire();
    });
    connect(&m_link, &SerialLink::decodeRequested, this, [this](const RegisterSet& set) {
        if (m_recallPending)
            onRecalled(set);
    });
    connect(&m_runner, &SweepRunner::stepSent, this, [this] {
        ++m_stepsSent;
        afterWire();
    });
    connect(&m_runner, &SweepRunner::finished, this, [this] { afterWire(); });
    connect(&m_runner, &SweepRunner::stopped, this, [this] { afterWire(); });
    connect(&m_runner, &SweepRunner::failed, this, [this](const QString& reason) {
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
        m_eventStatus |= 1 << bit;
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

bool ScpiInstrument::ready(const ProgramUnit& unit)
{
    if (isWire(unit, m_mode)) {
        if (m_commands.isBusy() || m_commands.isInitPending())
            return false;
        // A sweep that is ending still has its step on the wire; a running
        // one is refused by the command itself.
        return !(m_runner.isRunning() && m_runnerStopping);
    }
    const bool waits = (unit.command == Command::OperationComplete && unit.query) || unit.command == Command::Wait;
    if (!waits)
        return true;
    if (m_commands.isBusy() || m_commands.isInitPending())
        return false;
    if (!m_runner.isRunning())
        return true;
    // A loop never ends: what was sent before is on the wire once the step
    // under way has gone out.
    if (!m_sweepLoops || m_runnerStopping)
        return false;
    if (!m_waitFromStep)
        m_waitFromStep = m_stepsSent;
    return m_stepsSent > *m_waitFromStep;
}

void ScpiInstrument::afterWire()
{
    if (!m_runner.isRunning())
        m_runnerStopping = false;
    if (m_opcArmed) {
        const bool loopStepped = m_runner.isRunning() && m_sweepLoops && !m_runnerStopping && m_opcFromStep
                                 && m_stepsSent > *m_opcFromStep;
        if (!(m_commands.isBusy() || m_commands.isInitPending()) && (!m_runner.isRunning() || loopStepped)) {
            m_eventStatus |= 1;
            m_opcArmed = false;
        }
    }
    emit changed();
}

bool ScpiInstrument::wireIdle() const { return !m_commands.isBusy() && !m_runner.isRunning(); }

void ScpiInstrument::shutDown()
{
    if (m_runner.isRunning() && !m_runnerStopping) {
        m_runnerStopping = true;
        m_runner.stop();
    }
}

std::optional<std::string> ScpiInstrument::execute(const ProgramUnit& unit)
{
    if (unit.command == Command::OperationComplete || unit.command == Command::Wait)
        m_waitFromStep.reset();
    if (unit.query)
        return answer(unit);
    run(unit);
    return std::nullopt;
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

double ScpiInstrument::plannedMHz() const
{
    const PlanValues& plan = m_session.plan();
    return plan.fout + plan.errorHz / 1000000;
}

std::string ScpiInstrument::answer(const ProgramUnit& unit)
{
    const auto special = [&unit]() -> std::optional<Value::Kind> {
        if (unit.values.empty())
            return std::nullopt;
        return unit.values.front().kind;
    }();
    const auto ranged = [&special](double value, double low, double high) {
        return special == Value::Kind::Minimum ? low : special == Value::Kind::Maximum ? high : value;
    };
    const Range range = frequencyRange();
    switch (unit.command) {
    case Command::Identify: {
        // A comma or a line end in the port's name would split the answer.
        QString port = m_setup.portName;
        port.replace(QLatin1Char(','), QLatin1Char('_')).replace(QLatin1Char('\n'), QLatin1Char('_'));
        return "Vantrel,ADF4351 board," + port.toStdString() + "," + QCoreApplication::applicationVersion().toStdString();
    }
    case Command::EventEnable: return scpi::wholeText(m_eventEnable);
    case Command::EventStatus: {
        const int status = m_eventStatus;
        m_eventStatus = 0;
        return scpi::wholeText(status);
    }
    case Command::OperationComplete: return "1";
    case Command::StatusByte: {
        int status = 0;
        if (!m_errors.empty())
            status |= 1 << 2;
        if ((m_eventStatus & m_eventEnable) != 0)
            status |= 1 << 5;
        return scpi::wholeText(status);
    }
    case Command::SystemError: return scpi::errorResponse(m_errors.pop());
    case Command::SystemVersion: return "1999.0";
    case Command::Frequency: return scpi::hertzText(ranged(plannedMHz(), range.low, range.high));
    case Command::FrequencyMode: return m_mode == Mode::Cw ? "CW" : m_mode == Mode::Sweep ? "SWE" : "LIST";
    case Command::SweepStart: return scpi::hertzText(ranged(m_startMHz, range.low, range.high));
    case Command::SweepStop: return scpi::hertzText(ranged(m_stopMHz, range.low, range.high));
    case Command::SweepStep: return scpi::hertzText(m_stepMHz);
    case Command::Reference:
        return scpi::hertzText(ranged(readLeadingNumber(m_settings.frText), kMinRefInMHz, kMaxRefInMHz));
    case Command::Power: {
        int level = kPowerLevels[std::clamp(m_settings.pwr, 0, kMaxPower)];
        if (special == Value::Kind::Minimum)
            level = kPowerLevels[0];
        if (special == Value::Kind::Maximum)
            level = kPowerLevels[kMaxPower];
        return scpi::wholeText(level);
    }
    case Command::Output: return flagText(outputOn(m_settings));
    case Command::SweepDwell:
        return scpi::decimalText(ranged(static_cast<double>(m_dwell.count()) / 1000, 0, kMaxDwellSeconds));
    case Command::SweepPoints: {
        const SweepPoints points = linearSweep(m_startMHz, m_stopMHz, m_stopMHz < m_startMHz ? -m_stepMHz : m_stepMHz);
        if (!points.ok())
            fail(error::kSettingsConflict, points.error);
        return scpi::wholeText(points.points.size());
    }
    case Command::SweepChanged: return flagText(m_changedOnly);
    case Command::ListFrequency: {
        std::vector<std::string> items;
        for (const double mhz : m_listMHz)
            items.push_back(scpi::hertzText(mhz));
        return joined(items);
    }
    case Command::ListDwell: {
        std::vector<std::string> items;
        for (const std::chrono::milliseconds dwell : m_listDwells)
            items.push_back(scpi::decimalText(static_cast<double>(dwell.count()) / 1000));
        return joined(items);
    }
    case Command::Continuous: return flagText(m_continuous);
    case Command::ChipLimits: {
        std::vector<std::string> items;
        for (const ChipLimitBreak& item : checkChipLimits(m_session.settings(), m_session.result()))
            items.push_back(quoted(item.text()));
        return items.empty() ? quoted({}) : joined(items);
    }
    case Command::ChipStrict: return flagText(m_strict);
    case Command::Registers: {
        std::vector<std::string> items;
        for (const std::uint32_t word : m_set)
            items.push_back("#H" + hexFormat(word));
        return joined(items);
    }
    default: return {};
    }
}

void ScpiInstrument::run(const ProgramUnit& unit)
{
    const Value value = unit.values.empty() ? Value{} : unit.values.front();
    const bool sweeping = m_runner.isRunning();
    const auto busySweeping = [this, sweeping] {
        if (sweeping)
            fail(error::kSettingsConflict, "a sweep is running: ABORt it first");
        return sweeping;
    };
    switch (unit.command) {
    case Command::Reset: reset(); return;
    case Command::ClearStatus:
        m_errors.clear();
        m_eventStatus = 0;
        m_opcArmed = false;
        return;
    case Command::EventEnable:
        if (value.number < 0 || value.number > 255)
            fail(error::kDataOutOfRange, "*ESE takes 0 to 255");
        else
            m_eventEnable = static_cast<int>(value.number);
        return;
    case Command::OperationComplete:
        m_opcArmed = true;
        m_opcFromStep = m_stepsSent;
        afterWire();
        return;
    case Command::Wait: return;
    case Command::Frequency: setFrequency(value); return;
    case Command::SweepStart:
    case Command::SweepStop: {
        const Range range = frequencyRange();
        const double mhz = valueWithin(value, range.low, range.high);
        if (!(mhz > 0)) {
            fail(error::kDataOutOfRange, "a frequency must be above 0 Hz");
            return;
        }
        (unit.command == Command::SweepStart ? m_startMHz : m_stopMHz) = mhz;
        return;
    }
    case Command::SweepStep:
        if (value.kind != Value::Kind::Number || value.number == 0) {
            fail(error::kDataOutOfRange, "the step must not be 0 Hz");
            return;
        }
        // The sweep goes from STARt towards STOP whichever is higher.
        m_stepMHz = std::abs(value.number);
        return;
    case Command::Reference: {
        const double mhz = valueWithin(value, kMinRefInMHz, kMaxRefInMHz);
        if (!(mhz > 0)) {
            fail(error::kDataOutOfRange, "the reference must be above 0 Hz");
            return;
        }
        Settings settings = m_settings;
        settings.frText = exactDecimalText(mhz);
        change(settings, true);
        return;
    }
    case Command::Power: setPower(value); return;
    case Command::Output: {
        Settings settings = m_settings;
        setOutput(settings, value.flag);
        change(settings, true);
        return;
    }
    case Command::SweepDwell: {
        const double seconds = valueWithin(value, 0, kMaxDwellSeconds);
        if (!(seconds >= 0 && seconds <= kMaxDwellSeconds)) {
            fail(error::kDataOutOfRange, "the dwell is 0 to 86400 s");
            return;
        }
        m_dwell = std::chrono::milliseconds(std::llround(seconds * 1000));
        return;
    }
    case Command::SweepChanged: m_changedOnly = value.flag; return;
    case Command::ListFrequency: {
        std::vector<double> list;
        for (const Value& item : unit.values) {
            if (!(item.number > 0)) {
                fail(error::kDataOutOfRange, "a frequency must be above 0 Hz");
                return;
            }
            list.push_back(item.number);
        }
        if (list.size() > kMaxSweepPoints) {
            fail(error::kDataOutOfRange, "a list holds at most 100000 frequencies");
            return;
        }
        m_listMHz = std::move(list);
        return;
    }
    case Command::ListDwell: {
        std::vector<std::chrono::milliseconds> dwells;
        for (const Value& item : unit.values) {
            if (!(item.number >= 0 && item.number <= kMaxDwellSeconds)) {
                fail(error::kDataOutOfRange, "a dwell is 0 to 86400 s");
                return;
            }
            dwells.push_back(std::chrono::milliseconds(std::llround(item.number * 1000)));
        }
        m_listDwells = std::move(dwells);
        return;
    }
    case Command::FrequencyMode:
        if (busySweeping())
            return;
        if (value.mode == Mode::Cw && m_mode != Mode::Cw) {
            // Back in CW the output is the CW frequency again, as FREQ? says.
            m_mode = Mode::Cw;
            if (m_setUsable)
                sendSet(m_set);
            return;
        }
        m_mode = value.mode;
        return;
    case Command::Initiate: initiate(); return;
    case Command::Continuous: m_continuous = value.flag; return;
    case Command::Abort:
        if (sweeping && !m_runnerStopping) {
            m_runnerStopping = true;
            m_runner.stop();
        }
        return;
    case Command::ChipStrict: m_strict = value.flag; return;
    case Command::Registers:
        if (!busySweeping())
            setRegisters(unit.text);
        return;
    case Command::MemoryStore:
        if (busySweeping())
            return;
        if (!m_setUsable) {
            fail(error::kSettingsConflict, "there is no complete set to store");
            return;
        }
        if (ensurePort())
            m_commands.writeAll(m_set);
        return;
    case Command::MemoryRecall:
        if (busySweeping() || !ensurePort())
            return;
        m_link.takePendingText();
        m_recallPending = m_commands.init();
        return;
    default: return;
    }
}

void ScpiInstrument::setFrequency(const Value& value)
{
    const Range range = frequencyRange();
    const double mhz = valueWithin(value, range.low, range.high);
    if (!(mhz > 0)) {
        fail(error::kDataOutOfRange, "a frequency must be above 0 Hz");
        return;
    }
    Settings settings = m_settings;
    settings.foutText = exactDecimalText(mhz);
    change(settings, true);
}

void ScpiInstrument::setPower(const Value& value)
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
        return;
    }
    Settings settings = m_settings;
    settings.pwr = code;
    change(settings, true);
}

void ScpiInstrument::change(const Settings& settings, bool send)
{
    const PlanSession session = planned(settings);
    if (const std::string problem = planProblem(session); !problem.empty()) {
        fail(error::kDataOutOfRange, problem);
        return;
    }
    const ChipLimitBreaks limits = checkChipLimits(session.settings(), session.result());
    if (m_strict && !limits.empty()) {
        fail(error::kDataOutOfRange, limits.front().text());
        return;
    }
    adopt(settings, session, session.plan().registers);
    if (send && m_mode == Mode::Cw)
        sendSet(m_set);
}

void ScpiInstrument::adopt(const Settings& settings, const PlanSession& session, const RegisterSet& set)
{
    m_settings = settings;
    m_session = session;
    m_set = set;
    m_setUsable = true;
}

void ScpiInstrument::sendSet(const RegisterSet& set)
{
    if (ensurePort())
        m_commands.sendAll(set);
}

void ScpiInstrument::setRegisters(const std::string& text)
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
        return;
    }
    PlanSession session = planned(m_settings);
    loadRegisterSet(session, *reading.set);
    if (const std::string problem = planProblem(session); !problem.empty()) {
        fail(error::kDataOutOfRange, "the set gives " + problem);
        return;
    }
    const ChipLimitBreaks limits = checkChipLimits(session.settings(), session.result());
    if (m_strict && !limits.empty()) {
        fail(error::kDataOutOfRange, limits.front().text());
        return;
    }
    adopt(session.settings(), session, *reading.set);
    sendSet(*reading.set);
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
    m_runner.start(SweepRunner::stepsOf(planned, m_dwell), {m_changedOnly, m_continuous ? 0 : 1});
}

void ScpiInstrument::reset()
{
    if (m_runner.isRunning() && !m_runnerStopping) {
        m_runnerStopping = true;
        m_runner.stop();
    }
    m_settings = m_setup.settings;
    m_session = planned(m_settings);
    m_set = m_session.plan().registers;
    m_setUsable = planProblem(m_session).empty();
    m_mode = Mode::Cw;
    m_startMHz = m_stopMHz = m_setUsable ? m_session.plan().fout : 2400;
    m_stepMHz = 1;
    m_dwell = std::chrono::milliseconds(0);
    m_listMHz.clear();
    m_listDwells.clear();
    m_changedOnly = true;
    m_continuous = false;
    m_strict = true;
}

void ScpiInstrument::onRecalled(const RegisterSet& set)
{
    m_link.takePendingText();
    if (const std::string bad = notAWholeSet(set); !bad.empty()) {
        endRecall(QString::fromStdString(bad));
        return;
    }
    PlanSession session = planned(m_settings);
    loadRegisterSet(session, set);
    if (const std::string problem = planProblem(session); !problem.empty()) {
        endRecall(QStringLiteral("the set read back gives %1").arg(QString::fromStdString(problem)));
        return;
    }
    adopt(session.settings(), session, set);
    endRecall({});
    afterWire();
}

void ScpiInstrument::endRecall(const QString& problem)
{
    if (!m_recallPending)
        return;
    m_recallPending = false;
    if (!problem.isEmpty())
        fail(error::kSystem, problem.toStdString());
}

} // namespace vantrel
