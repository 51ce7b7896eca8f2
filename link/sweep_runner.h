// A sweep or hop list on the wire: the register set of each step sent
// through the paced sender, whole or only the words that changed, for one
// or more passes or until stopped. A step starts no sooner than its
// predecessor's dwell after that one's first line, and never before that
// one's lines and their pauses are done.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "minimum_timer.h"
#include "paced_sender.h"
#include "register_layout.h"
#include "sweep_plan.h"

namespace vantrel {

class SerialLink;

struct SweepStep {
    RegisterSet set{};
    std::chrono::milliseconds dwell{0};
};

class SweepRunner : public QObject {
    Q_OBJECT
public:
    struct Options {
        bool changedOnly = false; // after the first step, only the words that differ, Reg0 last
        int passes = 1;           // 0: until stopped
    };

    explicit SweepRunner(SerialLink& link, QObject* parent = nullptr);

    // False, and nothing sent, when there are no steps, a sweep is running
    // or the port is closed.
    bool start(std::vector<SweepStep> steps, Options options);
    // Ends once the step in flight has sent its last line (Reg0, with which
    // the chip takes the step) and that line's pause has passed; at once
    // between steps. The chip is never left with half a step.
    void stop();
    bool isRunning() const { return m_running; }
    // Ends at once, wherever the step under way stands, and says nothing
    // more: for a second stop that will not wait.
    void abandon();
    // Changes the set of every step, the one under way included (the RF
    // output switched off, say): once the step in flight has gone out whole,
    // its changed set goes out whole, Reg0 last, even when a stop was asked;
    // the dwell goes on from the step's first line, and every later step
    // keeps the change. False when no sweep runs.
    bool amend(const std::function<void(RegisterSet&)>& change);
    // The lines of the step under way that have not gone out yet; empty
    // between steps.
    QStringList unsentLines() const;

    // The lines a step sends: the whole set for the first step of a sweep,
    // otherwise as the options say, against the step before.
    static std::vector<std::string> stepLines(const RegisterSet& previous, const RegisterSet& next, bool first,
                                              bool changedOnly);

    // The planned steps as the runner takes them: each with its hop line's
    // own dwell, or `dwell`.
    static std::vector<SweepStep> stepsOf(const std::vector<SweepStepPlan>& planned, std::chrono::milliseconds dwell);

signals:
    // As the step's first line goes out (or, with nothing to send, as it
    // begins). pass counts from 1, step from 0; at is the time since start().
    // lines: what the step sends, without CR LF.
    void stepStarted(int pass, int step, const QStringList& lines, std::chrono::nanoseconds at);
    // Every line of the step went out whole and its last pause has passed;
    // lines as in stepStarted.
    void stepSent(int pass, int step, const QStringList& lines, std::chrono::nanoseconds at);
    // The changed set of amend() went out whole and its last pause passed.
    void amended();
    // Every pass done, the last step's lines, pauses and dwell passed.
    void finished();
    // After stop(): pass and step of the last step sent.
    void stopped(int pass, int step);
    // The port was lost or refused a line; lastLine is the last line that
    // went out whole, without its CR LF (empty when none did); partStep the
    // lines of the step in flight that went out before it failed (empty
    // when none did, or when the failure came between steps).
    void failed(const QString& reason, const QString& lastLine, const QStringList& partStep);

private:
    void beginStep();
    void sendAmended();
    void awaitDwell();
    void onLinesDone();
    void onDwellDone();
    void advance();
    void fail(const QString& reason);
    void end();

    SerialLink& m_link;
    PacedSender m_sender;
    MinimumTimer m_dwellTimer;
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sinceStep;
    std::vector<SweepStep> m_steps;
    QStringList m_stepLines; // what the step in flight sends
    std::chrono::nanoseconds m_stepAt{0};
    Options m_options;
    RegisterSet m_lastSent{};
    std::size_t m_step = 0;
    int m_pass = 1;
    bool m_running = false;
    bool m_stopRequested = false;
    bool m_anySent = false;
    bool m_amendPending = false; // the step's changed set is to go out
    bool m_resending = false;    // the step's changed set is on the wire
};

} // namespace vantrel
