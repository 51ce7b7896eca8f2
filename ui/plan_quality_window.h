// The Plan Quality window: the quality figures of the panel's plan (in-band
// noise, the integer-boundary, fractional and PFD spurs) with the loop
// bandwidth they assume, and the plan advisor's suggestions beside the
// current plan, with Apply. Non-modal; it follows every run of the plan.
// The figures show at once; the advisor, which takes milliseconds, runs a
// moment after the plan last changed, and its list cannot be applied until
// it is again the list of the panel as it stands.
#pragma once

#include <QTimer>
#include <QWidget>

#include <chrono>
#include <optional>

#include "chip_check.h"
#include "plan_advisor.h"
#include "plan_quality.h"

class ControlPanel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class PlanQualityWindow : public QWidget {
    Q_OBJECT
public:
    // How long the advisor waits after the plan last changed: typing a
    // frequency runs it once, for the last digit.
    static constexpr std::chrono::milliseconds kAdviceDelay{150};

    // `parent` is the window it belongs to; it stays a window of its own.
    explicit PlanQualityWindow(ControlPanel& panel, QWidget* parent = nullptr);

    // The advice shown; none while it is being searched again.
    const std::optional<vantrel::Advice>& advice() const { return m_advice; }
    // Runs the advisor now rather than after the delay.
    void adviseNow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void showFigures(const std::optional<vantrel::PlanQuality>& quality);
    void planChecked(const vantrel::ChipCheck& check);
    void showLoopBandwidth(const vantrel::LoopBandwidth& loop);
    void loopBandwidthEdited(const QString& text);
    void showAdvice();
    void updateApply();
    void apply();

    ControlPanel& m_panel;
    QTimer m_adviceTimer;
    std::optional<vantrel::Advice> m_advice;

    QLabel* m_figures[7] = {};
    QLineEdit* m_loopBandwidth = nullptr;
    QLabel* m_loopState = nullptr;
    QLabel* m_adviceState = nullptr;
    QTreeWidget* m_suggestions = nullptr;
    QPushButton* m_apply = nullptr;
};
