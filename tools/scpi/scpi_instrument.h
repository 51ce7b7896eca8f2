// The board as a SCPI instrument: the state the commands set (the panel's
// controls, the sweep and the list, the status registers and the error
// queue), and what they do on the wire through the panel's board commands
// and the sweep engine. A set goes out whole, Reg0 last; nothing goes out
// from a plan that stopped or, while strict, breaks a chip limit.
#pragma once

#include <QObject>
#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "board_commands.h"
#include "plan_session.h"
#include "scpi_parser.h"
#include "serial_link.h"
#include "sweep_runner.h"

namespace vantrel {

struct InstrumentSetup {
    Settings settings;  // the controls every plan starts from, and *RST returns to
    Presses presses;    // made after every change, as vantrel-plan makes them
    QString portText;   // what --port said, opened again after a loss
    QString portName;   // the device, for *IDN?
};

class ScpiInstrument : public QObject {
    Q_OBJECT
public:
    explicit ScpiInstrument(InstrumentSetup setup, QObject* parent = nullptr);

    // Opens the board's port; false with the reason otherwise.
    bool openPort(QString& error);

    // False while the command must wait: a set, store, recall or sweep while
    // the board is taking another command; *OPC? and *WAI until what the
    // commands before them sent is on the wire. changed() says when to ask again.
    bool ready(const scpi::ProgramUnit& unit);
    // A recall holds every command after it until the board's set is in.
    bool holdsQueue() const { return m_recallPending; }
    // Runs the command; the answer of a query. Errors go to the queue.
    std::optional<std::string> execute(const scpi::ProgramUnit& unit);
    void pushError(scpi::Error error);

    // No more commands: a sweep ends once the step under way went out whole.
    void shutDown();
    // Nothing on the wire and nothing still to go.
    bool wireIdle() const;

    // OUTPut is the RF output enable bit: the output muted while the chip
    // and its loop keep running, as a signal generator's output switch.
    static bool outputOn(const Settings& settings) { return settings.chip.rfOutputEnable; }
    static void setOutput(Settings& settings, bool on) { settings.chip.rfOutputEnable = on; }

signals:
    // Something ended on the wire or a recall came in: a waiting command may run.
    void changed();

private:
    struct Range {
        double low = 0; // MHz
        double high = 0;
    };

    PlanSession planned(const Settings& settings) const;
    // Plans `settings`; the refusal when the plan stops or, while strict,
    // breaks a chip limit; otherwise it becomes the state and, in CW mode,
    // goes to the board.
    void change(const Settings& settings, bool send);
    void adopt(const Settings& settings, const PlanSession& session, const RegisterSet& set);
    bool ensurePort();
    void sendSet(const RegisterSet& set);
    void afterWire();

    Range frequencyRange() const;
    double plannedMHz() const;
    std::string answer(const scpi::ProgramUnit& unit);
    void run(const scpi::ProgramUnit& unit);
    void setFrequency(const scpi::Value& value);
    void setPower(const scpi::Value& value);
    void setRegisters(const std::string& text);
    void initiate();
    void reset();
    void onRecalled(const RegisterSet& set);
    void endRecall(const QString& problem);
    void fail(int code, const std::string& info) { pushError({code, info}); }
    void failWire(const QString& reason);

    InstrumentSetup m_setup;
    SerialLink m_link;
    BoardCommands m_commands{m_link};
    SweepRunner m_runner{m_link};

    Settings m_settings;      // the controls before the presses
    PlanSession m_session;    // the current plan
    RegisterSet m_set{};      // what a store writes: the plan's words, or a pasted set
    scpi::Mode m_mode = scpi::Mode::Cw;
    double m_startMHz = 0;
    double m_stopMHz = 0;
    double m_stepMHz = 1;
    std::chrono::milliseconds m_dwell{0};
    std::vector<double> m_listMHz;
    std::vector<std::chrono::milliseconds> m_listDwells;
    bool m_changedOnly = true;
    bool m_continuous = false;
    bool m_strict = true;
    bool m_sweepLoops = false;     // the sweep under way goes round until stopped
    bool m_runnerStopping = false; // ABORt or *RST: the sweep ends after its step in flight
    bool m_setUsable = false;      // m_set came from a complete plan or a decoded set

    scpi::ErrorQueue m_errors;
    int m_eventStatus = 1 << 7; // power on
    int m_eventEnable = 0;
    bool m_opcArmed = false;
    std::optional<quint64> m_waitFromStep; // a loop sweep: *OPC? waits for the next step
    std::optional<quint64> m_opcFromStep;
    quint64 m_stepsSent = 0;
    bool m_recallPending = false;
};

} // namespace vantrel
