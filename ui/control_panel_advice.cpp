// The control panel's side of the plan advisor: what the advisor needs of
// the panel, and a suggestion made through the controls.
#include "control_panel.h"

#include <QScopedValueRollback>

#include "message_sink.h"
#include "ui_control_panel.h"

using namespace vantrel;

AdviceRequest ControlPanel::adviceRequest() const
{
    AdviceRequest request;
    request.settings = readSettings();
    // Before the first run the plan holds nothing of these controls yet:
    // they are planned as the strip shows them then.
    if (m_planOutcome) {
        request.current.values = m_plan;
        request.current.outcome = *m_planOutcome;
    } else {
        request.current = computePlanValues(request.settings, m_plan);
    }
    request.loop = m_loopBandwidth;
    request.chipForMode = sameChipForBothModes(m_chipOptions);
    // Ticking or clearing Integer N follows the datasheet while the menu says so.
    if (m_followDatasheet) {
        followDatasheetForMode(request.chipForMode[0], false);
        followDatasheetForMode(request.chipForMode[1], true);
    }
    return request;
}

// The controls are written as a user would set them, each raising its
// handler; the plan is held meanwhile, so that no run shows a state between
// two of them, and runs once at the end. Integer N comes last of the
// controls: its handler follows the datasheet (while the Chip menu says so)
// and enables or disables "Calc. Best F/D". The handlers of Ref Divider and
// Integer N write the integer-N step into the resolution box; the
// suggestion was planned with the step the user chose, which is written
// back last.
bool ControlPanel::applySuggestion(const PlanChange& change)
{
    if (m_awaitingBoardSet) {
        m_messages.showMessage(QStringLiteral("The board's stored register set is being read back (INIT from EE). "
                                              "Nothing was changed; apply the suggestion once it has arrived."));
        return false;
    }
    asWholeChange(QStringLiteral("Plan Quality Apply"), [&] {
        Ui::ControlPanel& ui = *m_ui;
        const QString step = ui.ResolutionText->text();
        {
            QScopedValueRollback<bool> applying(m_applyingSuggestion, true);
            if (change.refDbl)
                ui.RefDbl->setChecked(*change.refDbl);
            if (change.refDiv2)
                ui.Refdiv2->setChecked(*change.refDiv2);
            if (change.prescale8)
                ui.Prescale8->setChecked(*change.prescale8);
            if (change.r)
                ui.Rdivider->setText(QString::fromStdString(rdividerText(*change.r)));
            if (change.intN)
                ui.IntN->setChecked(*change.intN);
            ui.ResolutionText->setText(step);
        }
        recalculate();
    });
    return true;
}
