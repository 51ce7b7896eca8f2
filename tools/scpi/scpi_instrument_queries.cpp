// The instrument's answers to queries: what the board holds (before the
// first set, what would go out), the sweep and list as set, and the status
// registers.
#include "scpi_instrument.h"

#include <QCoreApplication>

#include "chip.h"
#include "chip_check.h"
#include "hex_codec.h"
#include "number_reader.h"
#include "sweep_points.h"

namespace vantrel {
namespace {

using scpi::Command;
using scpi::Mode;
using scpi::Value;


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

std::string secondsText(std::chrono::milliseconds dwell) { return scpi::decimalText(static_cast<double>(dwell.count()) / 1000); }

} // namespace

std::string ScpiInstrument::answer(const scpi::ProgramUnit& unit)
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
    case Command::EventEnable: return scpi::wholeText(m_status.eventEnable);
    case Command::EventStatus: {
        const int status = m_status.eventStatus;
        m_status.eventStatus = 0;
        return scpi::wholeText(status);
    }
    case Command::ServiceEnable: return scpi::wholeText(m_status.serviceEnable);
    case Command::OperationComplete: return "1";
    case Command::StatusByte: return scpi::wholeText(m_status.statusByte(!m_errors.empty()));
    case Command::OperationEvent: return scpi::wholeText(m_status.operation.takeEvent());
    case Command::OperationCondition: return scpi::wholeText(m_status.operation.condition);
    case Command::OperationEnable: return scpi::wholeText(m_status.operation.enable);
    case Command::QuestionableEvent: return scpi::wholeText(m_status.questionable.takeEvent());
    case Command::QuestionableCondition: return scpi::wholeText(m_status.questionable.condition);
    case Command::QuestionableEnable: return scpi::wholeText(m_status.questionable.enable);
    case Command::SystemError: return scpi::errorResponse(m_errors.pop());
    case Command::SystemVersion: return "1999.0";
    case Command::BoardHolds: return flagText(m_board.has_value());
    case Command::Frequency: return scpi::hertzText(ranged(plannedMHz(), range.low, range.high));
    case Command::FrequencyMode: return m_mode == Mode::Cw ? "CW" : m_mode == Mode::Sweep ? "SWE" : "LIST";
    case Command::SweepStart: return scpi::hertzText(ranged(m_startMHz, range.low, range.high));
    case Command::SweepStop: return scpi::hertzText(ranged(m_stopMHz, range.low, range.high));
    case Command::SweepStep: return scpi::hertzText(m_stepMHz);
    case Command::FrequencyCenter: return scpi::hertzText((m_startMHz + m_stopMHz) / 2);
    case Command::FrequencySpan: return scpi::hertzText(std::abs(m_stopMHz - m_startMHz));
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
    case Command::SweepDwell: return scpi::decimalText(ranged(static_cast<double>(m_dwell.count()) / 1000, 0, kMaxDwellSeconds));
    case Command::SweepPoints: {
        const SweepPoints points = linearSweep(m_startMHz, m_stopMHz, m_stopMHz < m_startMHz ? -m_stepMHz : m_stepMHz);
        if (!points.ok())
            fail(scpi::error::kSettingsConflict, points.error);
        return scpi::wholeText(static_cast<long long>(points.points.size()));
    }
    case Command::SweepChanged: return flagText(m_changedOnly);
    case Command::ListFrequency: {
        std::vector<std::string> items;
        for (const double mhz : m_listMHz)
            items.push_back(scpi::hertzText(mhz));
        return joined(items);
    }
    case Command::ListFrequencyPoints: return scpi::wholeText(static_cast<long long>(m_listMHz.size()));
    case Command::ListDwell: {
        std::vector<std::string> items;
        for (const std::chrono::milliseconds dwell : m_listDwells)
            items.push_back(secondsText(dwell));
        return joined(items);
    }
    case Command::ListDwellPoints: return scpi::wholeText(static_cast<long long>(m_listDwells.size()));
    case Command::Continuous: return flagText(m_continuous);
    case Command::SweepGeneration: return "STEP";
    case Command::SweepTrigger: return "AUTO";
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

} // namespace vantrel
