#include "panel_history.h"

#include <QScopedValueRollback>

PanelHistory::PanelHistory(ControlPanel& panel, QObject* parent)
    : QObject(parent)
    , m_panel(panel)
{
    connect(&panel, &ControlPanel::wholePanelChanged, this, &PanelHistory::record);
    connect(&panel, &ControlPanel::chipChecked, this, &PanelHistory::dropStaleRedo);
}

QString PanelHistory::undoText() const { return m_undo.empty() ? QString() : m_undo.back().what; }

QString PanelHistory::redoText() const { return m_redo.empty() ? QString() : m_redo.back().what; }

void PanelHistory::record(const QString& what, const PanelSnapshot& before, const PanelSnapshot& after)
{
    if (m_restoring)
        return;
    if (m_undo.size() == kMaxSteps)
        m_undo.erase(m_undo.begin());
    m_undo.push_back({what, before, after});
    m_redo.clear();
    emit changed();
}

bool PanelHistory::undo()
{
    if (m_undo.empty())
        return false;
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    {
        QScopedValueRollback<bool> restoring(m_restoring, true);
        m_panel.restore(step.before);
    }
    m_redo.push_back(std::move(step));
    emit changed();
    return true;
}

bool PanelHistory::redo()
{
    dropStaleRedo();
    if (m_redo.empty())
        return false;
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    {
        QScopedValueRollback<bool> restoring(m_restoring, true);
        m_panel.restore(step.after);
    }
    m_undo.push_back(std::move(step));
    emit changed();
    return true;
}

void PanelHistory::dropStaleRedo()
{
    if (m_restoring || m_redo.empty() || m_panel.snapshot().settings == m_redo.back().before.settings)
        return;
    m_redo.clear();
    emit changed();
}
