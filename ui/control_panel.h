// The main window: every setting control, its handlers, and the live plan.
// Handlers read the controls, call the calculation core and write controls;
// a write raises the written control's own handler before it returns.
#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "board_commands.h"
#include "chip_check.h"
#include "chip_options.h"
#include "compact_style.h"
#include "frequency_plan.h"
#include "loop_figures.h"
#include "plan_advisor.h"
#include "plan_quality.h"
#include "plan_values.h"
#include "register_layout.h"
#include "settings.h"
#include "settings_file.h"

namespace Ui {
class ControlPanel;
}

class EEdataWindow;
class MessageSink;

// Every setting control of the panel, as a settings file keeps them, and the
// plan values behind them: what a whole-panel change is undone to.
struct PanelSnapshot {
    vantrel::PanelSettings settings;
    vantrel::PlanValues plan;
};

namespace vantrel {
class SerialLink;
} // namespace vantrel

class ControlPanel : public QWidget {
    Q_OBJECT
public:
    ControlPanel(MessageSink& messages, vantrel::SerialLink& link, vantrel::BoardCommands& commands,
                 QWidget* parent = nullptr);
    ~ControlPanel() override;

    // The plan values and register words of the last runs.
    const vantrel::PlanValues& plan() const { return m_plan; }
    // -1 while the board's stored set is asked for and loaded, 0 otherwise;
    // the plan does not follow the controls meanwhile.
    std::int16_t initFlag() const { return m_awaitingBoardSet ? -1 : 0; }

    // Created, hidden, on first use and kept until the program ends.
    EEdataWindow* eeDataWindow();

    void recalculate();
    // The chip check of the controls as they stand, without running the plan
    // or writing anything: for the strip before the first event.
    vantrel::ChipCheck checkControls() const;
    // Runs the plan and tells whether its set may leave the window. A plan
    // that stopped leaves the words of an earlier run in place, which must
    // not go to the board or the clipboard as if they were these settings':
    // then `refused` ("Write EE sent nothing") is shown with the plan's
    // reason, in Text1 and a message, and the answer is false.
    bool recalculateForSet(const QString& refused);

    // The last control in the tab order, for a window that adds controls after it.
    QWidget* lastInTabOrder() const;

    // Holds the board buttons disabled while something else (a sweep) uses
    // the port, and lets them go again.
    void holdBoardCommands(bool held);
    // Text the board sent meanwhile, lines without a register word, for the reply box.
    void showBoardReplies(const QString& text);

    bool portIsOpen() const;
    // Closes the port and brings the port selection back, so that another
    // port can be chosen. Refused, with a message saying why, while a
    // command paces its lines, a sweep runs or the board's set is awaited.
    bool closePort();

    // The chip options of the Chip menu: every bit the controls do not hold.
    const vantrel::ChipOptions& chipOptions() const { return m_chipOptions; }
    // Takes new options and runs the plan, as a changed control does.
    void setChipOptions(const vantrel::ChipOptions& options);
    // "Follow the Datasheet for the Mode": while on, ticking or clearing
    // "Integer N" sets the options the datasheet recommends for the mode.
    bool followsDatasheet() const { return m_followDatasheet; }
    void setFollowDatasheet(bool on);

    // The loop bandwidth the quality figures assume (a setting of the Plan
    // Quality window, kept in settings files); a change checks the plan again.
    const vantrel::LoopBandwidth& loopBandwidth() const { return m_loopBandwidth; }
    void setLoopBandwidth(const vantrel::LoopBandwidth& loop);
    // The Loop Filter window's settings, kept in settings files
    // (control_panel_loop.cpp). With a filter the quality figures take each
    // plan's crossover as the loop bandwidth: a change that brings or
    // changes the filter checks the plan again.
    const vantrel::LoopSettings& loopSettings() const { return m_loopSettings; }
    void setLoopSettings(const vantrel::LoopSettings& loop);
    // The loop's figures, with the curve, for the controls as they stand.
    vantrel::LoopFiguresResult loopFigures() const;
    // A filter designed for the plan of the controls as they stand.
    vantrel::LoopDesignResult designLoop(const vantrel::DesignTarget& target) const;
    // What the plan advisor needs of the panel as it stands: the controls,
    // the last plan, the loop bandwidth, and the chip options a tick of
    // Integer N would bring.
    vantrel::AdviceRequest adviceRequest() const;
    // Makes a suggestion's changes through the controls' handlers, as a user
    // would, holding the plan until they are all in place and keeping the
    // step as it stands (the handlers of Ref Divider and Integer N rewrite
    // it); then runs the plan once (control_panel_advice.cpp). Refused, with
    // a message, while the board's stored set is awaited.
    bool applySuggestion(const vantrel::PlanChange& change);

    // Puts `mhzText` into "Wanted F out" as a user clicking into the box and
    // typing it would (which clears "Track Fout with Divider"), then, with
    // `autoSet`, presses "Auto Set >>". Refused (false) while the board's
    // stored set is awaited, which would overwrite it.
    bool setWantedOutput(const QString& mhzText, bool autoSet, const QString& what);

    // The whole panel as it stands, and put back: every setting control
    // written with its handler, the plan held until one run at the end, as
    // an opened settings file is; the plan starts from the values it had
    // (control_panel_undo.cpp). A restore is no change of its own.
    PanelSnapshot snapshot() const;
    void restore(const PanelSnapshot& snapshot);

    // What was remembered from the last run, given before anything has run:
    // the port offered in the COM box (not opened, and the caption of "Set
    // COM" as at any start), and the loop bandwidth, with no run of the plan.
    void offerPort(const QString& text);
    void startWithLoopBandwidth(const vantrel::LoopBandwidth& loop);

    // Whether the O/P divider was last set by "Auto Set >>" (pressed, or by
    // a band-map click), rather than moved, decoded or read from a file:
    // the sweep window then sets each step's divider the same way.
    bool dividerByAutoSet() const { return m_dividerByAutoSet; }

signals:
    // After every run of the plan that is not held off (a decode ends in
    // one), and after "Auto Set >>" could not act, with its reason first
    // among the panel's notes.
    void chipChecked(const vantrel::ChipCheck& check);
    void dividerByAutoSetChanged(bool byAutoSet);
    // Whenever the chip options change, from the menu, a decode or a file.
    void chipOptionsChanged(const vantrel::ChipOptions& options);
    void followDatasheetChanged(bool on);
    void loopBandwidthChanged(const vantrel::LoopBandwidth& loop);
    void loopSettingsChanged(const vantrel::LoopSettings& loop);
    // The board's port opened, or closed for whatever reason.
    void portOpenChanged(bool open);
    // The window was asked to close while lines are on their way to the
    // board; it closes once they are out. A sweep should stop after its step.
    void closeWaitsForBoard();
    // A change of the whole panel at once, named `what` ("Open Settings"):
    // a settings file, a set decoded, a suggestion applied, the datasheet
    // followed, the band map clicked. Only a change that changed a setting.
    void wholePanelChanged(const QString& what, const PanelSnapshot& before, const PanelSnapshot& after);
    // What a button did where nothing else shows it, for the status bar.
    void statusMessage(const QString& text);

public:
    // Loads a register set read back from the board into the controls and
    // rebuilds the plan around its VCO and divider, with one recalculation;
    // `what` names the change ("INIT from EE", "Paste Register Set").
    void decodeInput(const vantrel::RegisterSet& set, const QString& what = QStringLiteral("INIT from EE"));

    // Every setting control as it stands, for a settings file.
    vantrel::PanelSettings panelSettings() const;
    // Sets every setting control to `settings`, in a fixed order and each
    // with its handler, then runs the plan once (control_panel_settings.cpp).
    void applySettings(const vantrel::PanelSettings& settings, const QString& what = QStringLiteral("Open Settings"));

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectHandlers();
    // Runs `change` as one whole-panel change named `what`, told once it is
    // done; one inside another is part of it.
    void asWholeChange(const QString& what, const std::function<void()>& change);
    // The same from `before`, for a change whose first control has moved already.
    void asWholeChange(const QString& what, const std::function<void()>& change, const PanelSnapshot& before);
    void writeSettings(const vantrel::PanelSettings& panel);
    void loadDecodedSet(const vantrel::RegisterSet& set);
    vantrel::Settings readSettings() const;
    // Takes options without running the plan; a MUXOUT code among them
    // clears the buttons.
    void takeChipOptions(const vantrel::ChipOptions& options);
    void muxButtonSelected();
    void clearMuxButtons();
    void showPlanResult(const vantrel::PlanResult& result);
    void setResolutionText(const std::optional<std::string>& text);

    void foutTextClick();
    void frTextChange();
    void rdividerChange();
    void forceDChange();
    void intNClick();
    void intNTaken(const std::optional<QString>& replacedStep);
    void outDivContChange(int k);
    void chrgPumpChange(int value);
    void pwrChange(int value);
    void autoDivClick();
    void setDividerByAutoSet(bool byAutoSet);
    void nmCalcClick();
    void picEEdataClick();
    void appendToRegisterFile(const std::string& listing);
    void genRegFileClick();
    void cpNoChange();

    // The serial link: port selection, the board commands, the replies.
    void connectBoardHandlers();
    void setCPClick();
    void showPortSelection(const QString& why);
    void sendAllClick();
    void writeAllClick();
    void initClick();
    void commandBusy(bool busy);
    void updateBoardButtons();
    void commandFinished(vantrel::BoardCommands::Command command, const QString& replyText);
    void commandAborted(vantrel::BoardCommands::Command command);
    void initTimedOut();
    void registerWordReceived(const QString& text1Line);
    void decodeRequested(const vantrel::RegisterSet& set);
    void portLost(const QString& reason);
    void endInitWait();
    void resumePlan();
    void appendToText1(const QString& text);
    void refreshPortToolTip();
    void showPortToolTip();

    CompactStyle m_style;
    std::unique_ptr<Ui::ControlPanel> m_ui;
    MessageSink& m_messages;
    vantrel::SerialLink& m_link;
    vantrel::BoardCommands& m_commands;
    QPointer<EEdataWindow> m_eeData;
    vantrel::PlanValues m_plan;
    // Why the last run stopped; empty after a complete one.
    QString m_planStopReason;
    // From "INIT from EE" until the board's set is loaded or given up: the
    // plan does not follow the controls meanwhile.
    bool m_awaitingBoardSet = false;
    vantrel::RegisterSet m_writeAllSet{}; // what the last Write EE sends
    QString m_registerFileSaid; // the listing file whose whole path Text1 has told
    QString m_portListTip;      // the ports the system listed when last asked
    bool m_commandBusy = false;
    bool m_boardHeld = false;
    bool m_closeWhenIdle = false; // a close waits for the board's lines
    // True while a decode or an opened settings file writes the controls:
    // their handlers must not recalculate from half-written settings.
    bool m_holdingPlan = false;
    // True while a suggestion's changes are written: the plan runs once they all are.
    bool m_applyingSuggestion = false;
    vantrel::ChipOptions m_chipOptions;
    bool m_followDatasheet = false;
    vantrel::LoopBandwidth m_loopBandwidth;
    // The step that the user's tick of Integer N wrote over, given back when
    // it is cleared; none once a step is typed, decoded or read from a file.
    std::optional<QString> m_stepBeforeIntN;
    bool m_autoSetting = false; // "Auto Set >>" moves the divider
    bool m_dividerByAutoSet = false;
    vantrel::LoopSettings m_loopSettings;
    // How the last run ended; none before the first.
    std::optional<vantrel::PlanOutcome> m_planOutcome;
    // Above 0 while a whole-panel change, or a restore, is under way.
    int m_wholeChangeDepth = 0;
};
