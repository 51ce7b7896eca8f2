// The control panel's side of the loop filter: the Loop Filter window's
// settings, and the loop's figures and a design for the plan the controls
// give. The arithmetic is calc's.
#include "control_panel.h"

using namespace vantrel;

void ControlPanel::setLoopSettings(const LoopSettings& loop)
{
    if (loop == m_loopSettings)
        return;
    m_loopSettings = loop;
    emit loopSettingsChanged(m_loopSettings);
    // The quality figures follow the filter; a change of the target or the
    // range alone leaves them as they are.
    setLoopBandwidth(LoopBandwidth(m_loopBandwidth.setKHz, m_loopSettings.circuit()));
}

LoopFiguresResult ControlPanel::loopFigures() const
{
    const Settings settings = readSettings();
    return vantrel::loopFigures(settings, computePlan(settings, m_plan), m_loopSettings);
}

LoopDesignResult ControlPanel::designLoop(const DesignTarget& target) const
{
    const Settings settings = readSettings();
    return designForPlan(settings, computePlan(settings, m_plan), m_loopSettings, target);
}
