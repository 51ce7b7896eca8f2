// What vantrel-ctl says about each step of a sweep or hop list: one line of
// text or JSON per step sent, the progress line on a terminal, and how far a
// sweep got when it ended early.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

#include "sweep_plan.h"

namespace vantrel {

class StepReport {
public:
    // steps: the steps that go out; points: how many the sweep or list held
    // before any was skipped, so that steps keep their numbers.
    // passes: 0 when the sweep loops until stopped.
    StepReport(const std::vector<SweepStepPlan>& steps, int points, int passes);

    // "step 3 of 11 (2405 MHz)", with the hop list's line when there is one.
    static QString where(const SweepStepPlan& step, int points);

    // The step's first line went out: the progress line follows it.
    void started(int pass, int index, std::chrono::nanoseconds at);
    // Every line of the step went out: the step's own line reports it.
    void sent(int pass, int index, const QStringList& lines, std::chrono::nanoseconds at);

    // The step last sent, as a line of text or of JSON, each with its line end.
    QByteArray textLine() const;
    QByteArray jsonLine() const;
    // A step that would send `lines`, for --dry-run.
    QByteArray dryRunLine(int index, const QStringList& lines, bool json) const;
    // "step 3 of 11, 2405 MHz, about 12 s left"
    QString progressLine() const;
    // "step 3 of 11 (2405 MHz), pass 2": the step begun last.
    QString current() const;
    QString howFar(int pass, int index) const;
    // "3 step(s) sent in 1.803 s"
    QString summary(qint64 elapsedNs) const;

private:
    QString at(int pass, int index) const;

    const std::vector<SweepStepPlan>& m_steps;
    int m_points;
    int m_passes;
    int m_pass = 0;
    int m_index = -1;
    int m_stepsStarted = 0;
    std::chrono::nanoseconds m_startedAt{0};
    std::chrono::nanoseconds m_secondStartedAt{0}; // the pace is measured from the second step on
    int m_sentPass = 0;
    int m_sentIndex = -1;
    int m_stepsSent = 0;
    QStringList m_lines;
    std::chrono::nanoseconds m_sentAt{0};
};

} // namespace vantrel
