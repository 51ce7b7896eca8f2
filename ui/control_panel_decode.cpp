// The control panel's side of loading a register set read back from the
// board: the decoded settings written into the controls in order.
#include "control_panel.h"

#include <QScopedValueRollback>

#include "line_end.h"
#include "register_decode.h"
#include "ui_control_panel.h"

using namespace vantrel;

void ControlPanel::decodeInput(const RegisterSet& set, const QString& what)
{
    asWholeChange(what, [&] { loadDecodedSet(set); });
}

void ControlPanel::loadDecodedSet(const RegisterSet& set)
{
    m_stepBeforeIntN.reset(); // the step comes with the set
    const DecodedRegisterSet decoded =
        decodeRegisterSet(set, m_ui->FrText->text().toLocal8Bit().toStdString(), m_plan);
    Ui::ControlPanel& ui = *m_ui;
    {
        // Each write below raises its control's handler at once; none of them
        // may recalculate until every setting is in place.
        QScopedValueRollback<bool> holding(m_holdingPlan, true);
        m_plan = decoded.plan;
        ui.TrackDivider->setChecked(true);
        ui.RefDbl->setChecked(decoded.refDbl);
        ui.Refdiv2->setChecked(decoded.refDiv2);
        ui.Prescale8->setChecked(decoded.prescale8);
        ui.Feedback->setChecked(decoded.feedback);
        ui.LowSpur->setChecked(decoded.lowSpur);
        ui.IntN->setChecked(decoded.intN);
        if (decoded.muxButton) {
            switch (*decoded.muxButton) {
            case MuxButton::MuxNone: ui.MuxNone->setChecked(true); break;
            case MuxButton::MuxR: ui.MuxR->setChecked(true); break;
            case MuxButton::MuxN: ui.MuxN->setChecked(true); break;
            case MuxButton::MuxL: ui.MuxL->setChecked(true); break;
            case MuxButton::NoneSelected: break;
            }
        }
        ui.PDpol->setChecked(decoded.pdPol);
        ui.Enable->setChecked(decoded.enable);
        ui.MTLD->setChecked(decoded.mtld);
        ui.ChrgPump->setSettingValue(decoded.chrgPump);
        ui.Pwr->setSettingValue(decoded.pwr);
        // Every other bit of the board's set, a MUXOUT code no button offers
        // among them (which clears the buttons).
        takeChipOptions(decoded.chip);
        ui.Rdivider->setText(QString::fromStdString(decoded.rdividerText));
        ui.Fvco->setText(QString::fromStdString(decoded.fvcoCaption));
        if (decoded.outDivCont)
            ui.OutDivCont->setSettingValue(*decoded.outDivCont);
        ui.Label6->setText(QString::fromStdString(decoded.label6Caption));
        ui.ResolutionText->setText(QString::fromStdString(decoded.resolutionText));
        ui.FoutText->setText(QString::fromStdString(decoded.foutText));
        // The handlers above may have moved plan values (the divider's sets
        // OutDiv); the plan rebuilt below starts from the decoded one.
        m_plan = decoded.plan;
    }
    // Tracking keeps the decoded VCO and takes the output as VCO / divider.
    resumePlan();
    ui.TrackDivider->setChecked(false);
    // Nothing changes unseen: a word the plan packs otherwise than the board
    // holds would go out with the next "Set all Registers". A plan that
    // stopped left the words of the one before, which are nothing to compare.
    const std::string changed = m_planStopReason.isEmpty()
                                    ? readBackMessage(wordDifferences(set, m_plan.registers))
                                    : noCompletePlanMessage(m_planStopReason.toStdString());
    if (!changed.empty())
        appendToText1(QString::fromStdString(changed) + QString::fromLatin1(kCrLf));
}

// The one place the wait for the board's set ends: the plan follows the
// controls again, from a run of its own.
void ControlPanel::resumePlan()
{
    m_awaitingBoardSet = false;
    recalculate();
}
