// The main window: every setting control, its handlers, and the live plan.
// Handlers read the controls, call the calculation core and write controls;
// a write raises the written control's own handler before it returns.
#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "compact_style.h"
#include "frequency_plan.h"
#include "plan_values.h"
#include "register_decode.h"
#include "settings.h"

namespace Ui {
class ControlPanel;
}

class EEdataWindow;
class MessageSink;

class ControlPanel : public QWidget {
    Q_OBJECT
public:
    explicit ControlPanel(MessageSink& messages, QWidget* parent = nullptr);
    ~ControlPanel() override;

    // The plan values and register words of the last runs.
    const vantrel::PlanValues& plan() const { return m_plan; }
    // -1 while the board's stored set is asked for and loaded; the plan
    // does not follow the controls meanwhile.
    std::int16_t initFlag() const { return m_initFlag; }

    // Created, hidden, on first use and kept until the program ends.
    EEdataWindow* eeDataWindow();

    void recalculate();

    // Loads a register set read back from the board into the controls and
    // rebuilds the plan around its VCO and divider, with one recalculation.
    void decodeInput(const vantrel::RegIn& regIn);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectHandlers();
    vantrel::Settings readSettings() const;
    void showPlanResult(const vantrel::PlanResult& result);
    void setResolutionStep(const std::optional<double>& step);

    void foutTextClick();
    void frTextChange();
    void rdividerChange();
    void forceDChange();
    void intNClick();
    void outDivContChange(int k);
    void chrgPumpChange(int value);
    void pwrChange(int value);
    void autoDivClick();
    void nmCalcClick();
    void picEEdataClick();
    void appendToRegisterFile(const std::string& listing);
    void genRegFileClick();
    void cpNoChange();

    CompactStyle m_style;
    std::unique_ptr<Ui::ControlPanel> m_ui;
    MessageSink& m_messages;
    QPointer<EEdataWindow> m_eeData;
    vantrel::PlanValues m_plan;
    std::int16_t m_initFlag = 0;
    // True while a decode writes the controls: their handlers must not
    // recalculate from half-written settings.
    bool m_decoding = false;
};
