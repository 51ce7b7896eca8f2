// The control panel's side of a settings file: the controls read for saving,
// and written in a fixed order when a file is opened.
#include "control_panel.h"

#include <QScopedValueRollback>

#include "ui_control_panel.h"

using namespace vantrel;

PanelSettings ControlPanel::panelSettings() const
{
    PanelSettings panel;
    panel.settings = readSettings();
    panel.forceDText = m_ui->ForceD->text().toStdString();
    panel.portText = m_ui->CPNo->text().toStdString();
    panel.followDatasheet = m_followDatasheet;
    panel.loopBandwidth = m_loopBandwidth;
    panel.loop = m_loopSettings;
    return panel;
}

// The controls are written one at a time, as a user would set them, and each
// write raises its control's handler at once (a write that leaves a control
// as it was raises nothing). The plan is held meanwhile, so that no run sees
// half a file or shows its prescaler message for a state the file never had;
// it runs once at the end. The order, and why:
//  1. TrackDivider is cleared: the run of step 7 must take the output from
//     FoutText, not from the VCO of the plan before.
//  2. The check boxes RefDbl, Refdiv2, Feedback, Prescale8, PDpol, LowSpur,
//     Enable and MTLD, then IntN, whose handler enables or disables
//     "Calc. Best F/D" and rewrites ResolutionText.
//  3. The MUXOUT button. With none in the file, all four are cleared and the
//     code goes back to three-state (0), as in a window where none has been
//     chosen yet: no user can clear them, so there is no handler to follow.
//     Then the chip options, after the button: a MUXOUT code among them
//     clears the buttons; and "Follow the Datasheet for the Mode", after
//     IntN, so that the file's options stand as they are; and the loop
//     filter and bandwidth, which change no plan.
//  4. The scroll bars OutDivCont (its handler moves the plan's divider),
//     ChrgPump and Pwr, each handler rewriting its label.
//  5. The texts FrText (which turns white when it changes), FoutText,
//     Rdivider and ForceD, then ResolutionText: the handlers of Rdivider,
//     ForceD and IntN rewrite ResolutionText, so the file's text comes last.
//  6. CPNo, the port text.
//  7. One run of the plan from the controls as they now stand.
//  8. TrackDivider, ticked when the file says so. It has no handler and
//     leaves every text as it is; from the next run on it keeps the VCO that
//     step 7 computed from FoutText, which gives the same output.
// While the board's set is awaited the plan stays held at step 7 too, as it
// does for typing.
void ControlPanel::applySettings(const PanelSettings& panel, const QString& what)
{
    asWholeChange(what, [&] { writeSettings(panel); });
}

void ControlPanel::writeSettings(const PanelSettings& panel)
{
    m_stepBeforeIntN.reset(); // the step comes with the set
    const Settings& s = panel.settings;
    Ui::ControlPanel& ui = *m_ui;
    {
        QScopedValueRollback<bool> holding(m_holdingPlan, true);
        ui.TrackDivider->setChecked(false);

        const std::pair<QCheckBox*, bool> checks[] = {
            {ui.RefDbl, s.refDbl}, {ui.Refdiv2, s.refDiv2}, {ui.Feedback, s.feedback}, {ui.Prescale8, s.prescale8},
            {ui.PDpol, s.pdPol},   {ui.LowSpur, s.lowSpur}, {ui.Enable, s.enable},     {ui.MTLD, s.mtld},
            {ui.IntN, s.intN},
        };
        for (const auto& [box, checked] : checks)
            box->setChecked(checked);

        const std::pair<QRadioButton*, MuxButton> buttons[] = {
            {ui.MuxNone, MuxButton::MuxNone}, {ui.MuxR, MuxButton::MuxR},
            {ui.MuxN, MuxButton::MuxN},       {ui.MuxL, MuxButton::MuxL},
        };
        if (s.mux == MuxButton::NoneSelected) {
            clearMuxButtons();
            m_plan.muxVal = static_cast<int>(MuxOut::ThreeState);
        }
        for (const auto& [button, mux] : buttons) {
            if (mux == s.mux)
                button->setChecked(true);
        }
        takeChipOptions(s.chip);
        setFollowDatasheet(panel.followDatasheet);
        // No control of the panel: the plan quality window follows the signal.
        if (panel.loop != m_loopSettings) {
            m_loopSettings = panel.loop;
            emit loopSettingsChanged(m_loopSettings);
        }
        // The filter's circuit always as the loop settings give it.
        const LoopBandwidth loop(panel.loopBandwidth.setKHz, m_loopSettings.circuit());
        if (loop != m_loopBandwidth) {
            m_loopBandwidth = loop;
            emit loopBandwidthChanged(m_loopBandwidth);
        }

        ui.OutDivCont->setSettingValue(s.outDivCont);
        ui.ChrgPump->setSettingValue(s.chrgPump);
        ui.Pwr->setSettingValue(s.pwr);

        const std::pair<QLineEdit*, const std::string&> texts[] = {
            {ui.FrText, s.frText},          {ui.FoutText, s.foutText},
            {ui.Rdivider, s.rdividerText},  {ui.ForceD, panel.forceDText},
            {ui.ResolutionText, s.resolutionText}, {ui.CPNo, panel.portText},
        };
        for (const auto& [box, text] : texts)
            box->setText(QString::fromStdString(text));
    }
    recalculate();
    ui.TrackDivider->setChecked(s.trackDivider);
}
