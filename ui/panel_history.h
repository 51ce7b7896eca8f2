// Edit ▸ Undo and Redo of the panel's whole-panel changes (a settings file
// opened, a set pasted or read back, a suggestion applied, the datasheet
// followed, a click on the band map): each step puts every setting control
// back as it was, with one run of the plan. Typing in a box is the box's own
// to undo. Nothing that went to the board is taken back.
#pragma once

#include <QObject>
#include <QString>

#include <vector>

#include "control_panel.h"

class PanelHistory : public QObject {
    Q_OBJECT
public:
    // Far more steps back than anyone takes; each is two small snapshots.
    static constexpr std::size_t kMaxSteps = 100;

    explicit PanelHistory(ControlPanel& panel, QObject* parent = nullptr);

    // The change the next undo or redo would take back or make again; empty
    // when there is none.
    QString undoText() const;
    QString redoText() const;

    // False when there is nothing to undo or redo. A redo is dropped, with
    // the rest after it, once the panel is no longer as the undo left it:
    // it would overwrite what was set since.
    bool undo();
    bool redo();

signals:
    // undoText or redoText changed.
    void changed();

private:
    struct Step {
        QString what;
        PanelSnapshot before;
        PanelSnapshot after;
    };

    void record(const QString& what, const PanelSnapshot& before, const PanelSnapshot& after);
    // After a run of the plan: a redo waiting for a panel that has changed since goes.
    void dropStaleRedo();

    ControlPanel& m_panel;
    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
    bool m_restoring = false;
};
