// The control panel as a whole: a change of every control at once told as
// one, the panel put back as it was, and what a new run starts from.
#include "control_panel.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>

#include "ui_control_panel.h"

using namespace vantrel;

PanelSnapshot ControlPanel::snapshot() const { return {panelSettings(), m_plan}; }

void ControlPanel::asWholeChange(const QString& what, const std::function<void()>& change)
{
    asWholeChange(what, change, m_wholeChangeDepth > 0 ? PanelSnapshot{} : snapshot());
}

void ControlPanel::asWholeChange(const QString& what, const std::function<void()>& change, const PanelSnapshot& before)
{
    if (m_wholeChangeDepth > 0) {
        change();
        return;
    }
    {
        QScopedValueRollback<int> depth(m_wholeChangeDepth, 1);
        change();
    }
    PanelSnapshot after = snapshot();
    if (after.settings != before.settings)
        emit wholePanelChanged(what, before, after);
}

// As an opened settings file, from the plan values the panel had then: a
// run that stops keeps values of the run before, which must be those the
// panel had, or the listing would differ from the one it showed.
void ControlPanel::restore(const PanelSnapshot& snapshot)
{
    QScopedValueRollback<int> depth(m_wholeChangeDepth, m_wholeChangeDepth + 1);
    m_plan = snapshot.plan;
    writeSettings(snapshot.settings);
}

void ControlPanel::offerPort(const QString& text)
{
    // Not typed: "Set COM" keeps the caption it has at every start.
    const QSignalBlocker quiet(m_ui->CPNo);
    m_ui->CPNo->setText(text);
}

void ControlPanel::startWithLoopBandwidth(const LoopBandwidth& loop)
{
    if (loop == m_loopBandwidth)
        return;
    m_loopBandwidth = loop;
    emit loopBandwidthChanged(m_loopBandwidth);
}
