// The board as a SCPI instrument: the state the commands set (the panel's
// controls, the sweep and the list, the status registers and the error
// queue), and what they do on the wire through the panel's board commands
// and the sweep engine. A set goes out whole, Reg0 last; nothing goes out
// from a plan that stopped or, while strict, breaks a chip limit. The state
// the queries answer is the one the board holds: a set is taken into it
// once it went out whole, and one cut off leaves it as it was.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "board_commands.h"
#include "plan_session.h"
#include "scpi_parser.h"
#include "scpi_status.h"
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
    // What a command did: a query's answer, and the wire job it started,
    // which the client's next command waits for.
    struct Outcome {
        std::optional<std::string> answer;
        quint64 job = 0;
        bool answerAtEnd = false; // the answer comes with the job's end (*TST?)
    };

    explicit ScpiInstrument(InstrumentSetup setup, QObject* parent = nullptr);

    // Opens the board's port; false with the reason otherwise.
    bool openPort(QString& error);

    // False while the command must wait: a set, store or recall while the
    // board takes another; *OPC?, *WAI and *TST? until the wire is done with
    // what came before (in a loop, *OPC? until the step after `loopMark`,
    // which it sets on its first call). ABORt, *RST, *CLS and the queries
    // never wait. changed() says when to ask again.
    bool ready(const scpi::ProgramUnit& unit, std::optional<quint64>& loopMark);
    // Runs the command. Errors go to the queue.
    Outcome execute(const scpi::ProgramUnit& unit);
    bool jobEnded(quint64 job) const { return !m_openJobs.contains(job); }
    std::string jobAnswer(quint64 job) const;
    void pushError(scpi::Error error);

    // No more commands: a sweep ends once the step under way went out whole.
    void shutDown();
    // Nothing on the wire and nothing still to go.
    bool wireIdle() const;
    // The lines of the set or step under way that have not gone out.
    QStringList unsentLines() const;

    // OUTPut is the RF output enable bit: the output muted while the chip
    // and its loop keep running, as a signal generator's output switch.
    static bool outputOn(const Settings& settings) { return settings.chip.rfOutputEnable; }
    static void setOutput(Settings& settings, bool on) { settings.chip.rfOutputEnable = on; }
    static void setOutput(RegisterSet& set, bool on);

signals:
    // Something ended on the wire or a recall came in: a waiting command may run.
    void changed();

private:
    // The output power codes 0..3 in dBm (Register 4, "Output Power").
    static constexpr int kPowerLevels[] = {-4, -1, 2, 5};
    // A dwell beyond a day is taken for a typing slip, as vantrel-ctl does.
    static constexpr double kMaxDwellSeconds = 24 * 3600;

    struct Range {
        double low = 0; // MHz
        double high = 0;
    };
    // A state the board takes once its set went out whole.
    struct Target {
        Settings settings;
        PlanSession session;
        RegisterSet set{};
    };
    enum class JobKind { Send, Store, Recall, SelfTest, Amend, Reset };
    struct Job {
        quint64 id = 0;
        JobKind kind = JobKind::Send;
        RegisterSet set{};            // what goes to the chip
        std::optional<Target> target; // the state it brings
        bool recalled = false;        // a recall's set came in and is to go out
        QStringList lines;            // what the job sends
    };

    PlanSession planned(const Settings& settings) const;
    // The plan of `settings`, or nothing with the error pushed.
    std::optional<Target> target(const Settings& settings, const std::string& what = {});
    // In CW mode the target goes to the board; otherwise it waits for INIT.
    quint64 change(const Settings& settings, const std::string& what = {});
    void adopt(const Target& target);
    quint64 openJob();
    void closeJob(Job& job);
    // Sends `set` (whole, or the words that changed from what the board
    // holds) and takes `target` once it is out; 0 when nothing had to go.
    quint64 send(JobKind kind, const RegisterSet& set, std::optional<Target> target, bool whole = false);
    bool startLines(Job& job, bool whole);
    void onJobOut();
    void onJobCut(const QString& reason);
    bool ensurePort();
    void afterWire();
    void startQueuedWork();
    void updateConditions();

    Range frequencyRange() const;
    bool inOutputRange(double mhz, const std::string& what);
    double plannedMHz() const;
    std::string answer(const scpi::ProgramUnit& unit);
    Outcome run(const scpi::ProgramUnit& unit);
    quint64 setFrequency(const scpi::Value& value, const std::string& header);
    quint64 setPower(const scpi::Value& value);
    quint64 setOutputState(bool on);
    quint64 setRegisters(const std::string& text);
    void setSweepBound(const scpi::ProgramUnit& unit);
    void setSweepPoints(const scpi::Value& value);
    void setList(const scpi::ProgramUnit& unit);
    std::optional<std::chrono::milliseconds> dwellOf(double seconds, const std::string& what);
    void initiate();
    void stopSweep(bool restart);
    quint64 reset();
    quint64 recall();
    quint64 selfTest();
    void onRecalled(const RegisterSet& set);
    void endRecall(const QString& problem);
    void fail(int code, const std::string& info) { pushError({code, info}); }
    void failWire(const QString& reason);

    InstrumentSetup m_setup;
    SerialLink m_link;
    BoardCommands m_commands{m_link};
    SweepRunner m_runner{m_link};

    // The state: what the board holds, or before the first set what would go out.
    Settings m_settings;      // the controls before the presses
    PlanSession m_session;    // the current plan
    RegisterSet m_set{};      // what a store writes: the plan's words, or a pasted set
    bool m_setUsable = false; // m_set came from a complete plan or a decoded set
    // What the chip holds: the last set that went out whole; nothing before
    // the first, and after a set or step was cut off.
    std::optional<RegisterSet> m_board;

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

    std::vector<SweepStep> m_sweepSteps; // the sweep under way, as the runner has it
    int m_sweepStep = 0;                 // its step under way
    bool m_sweepLoops = false;           // the sweep under way goes round until stopped
    bool m_runnerStopping = false;       // ABORt or *RST: the sweep ends after its step in flight
    bool m_restartAfterStop = false;     // ABORt with INIT:CONT ON: the sweep starts over
    quint64 m_stepsSent = 0;

    std::optional<Job> m_job;       // on the wire
    std::optional<Job> m_resetJob;  // *RST's set, first when the wire is free
    std::optional<Job> m_amendJob;  // OUTPut during a sweep
    std::set<quint64> m_openJobs;
    std::map<quint64, std::string> m_jobAnswers;
    quint64 m_nextJob = 1;

    scpi::ErrorQueue m_errors;
    scpi::StatusRegisters m_status;
    bool m_opcArmed = false;
    std::optional<quint64> m_opcFromStep;
};

} // namespace vantrel
