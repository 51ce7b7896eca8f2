// What vantrel-ctl says about each step of a sweep or hop list: one line of
// text or JSON per step, the progress line on a terminal, and how far a
// sweep got when it ended early.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

#include "sweep_plan.h"

namespace vantrel {

class StepReport {
public:
    // passes: 0 when the sweep loops until stopped.
    StepReport(const std::vector<SweepStepPlan>& steps, int passes);

    // "step 3 of 11 (2405 MHz)", with the hop list's line when there is one.
    static QString where(const SweepStepPlan& step, int index, int count);

    void started(int pass, int index, const QStringList& lines, std::chrono::nanoseconds at);

    // The step just started, as a line of text or of JSON, each with its line end.
    QByteArray textLine() const;
    QByteArray jsonLine() const;
    // "step 3 of 11, 2405 MHz, 12 s left"
    QString progressLine() const;
    // "step 3 of 11 (2405 MHz), pass 2"
    QString current() const;
    QString howFar(int pass, int index) const;
    // "3 step(s) sent in 1.803 s"
    QString summary(qint64 elapsedNs) const;

private:
    const std::vector<SweepStepPlan>& m_steps;
    int m_passes;
    int m_pass = 0;
    int m_index = -1;
    int m_stepsStarted = 0;
    QStringList m_lines;
    std::chrono::nanoseconds m_at{0};
};

} // namespace vantrel
