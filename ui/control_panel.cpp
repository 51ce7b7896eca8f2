#include "control_panel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include <utility>

#include "auto_divider.h"
#include "compact_style.h"
#include "ee_listing.h"
#include "eedata_window.h"
#include "line_end.h"
#include "message_sink.h"
#include "number_format.h"
#include "number_reader.h"
#include "panel_actions.h"
#include "register_file.h"
#include "shown_text.h"
#include "sweep_plan.h"
#include "ui_control_panel.h"
#include "widget_colours.h"
#include "window_icon.h"

using namespace vantrel;

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

void showStyled(QLabel* label, const StyledText& styled)
{
    label->setText(shownText(styled.text));
    setRoleColour(label, QPalette::WindowText, styled.colour);
    QFont font = label->font();
    font.setBold(styled.bold);
    label->setFont(font);
}

} // namespace

ControlPanel::ControlPanel(MessageSink& messages, SerialLink& link, BoardCommands& commands, QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::ControlPanel>())
    , m_messages(messages)
    , m_link(link)
    , m_commands(commands)
{
    // The design's face; where it is missing, faces of the same metrics so
    // that every caption still fits its control.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans Narrow"),
                                QStringLiteral("Arial Narrow"), QStringLiteral("Arial")});
    m_ui->setupUi(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->setStyle(&m_style);
    setFixedSize(size());
    setWindowIcon(vantrelWindowIcon());
    // The scroll bars speak what they set, in their tool tips too.
    m_ui->OutDivCont->setValueText([](int k) { return fromStd(plainNumber(outputDivider(k))); });
    m_ui->ChrgPump->setValueText([](int value) { return fromStd(chargePumpCurrentText(value)); });
    m_ui->Pwr->setValueText([](int value) { return fromStd(outputPowerText(value)); });
    m_ui->FoutText->installEventFilter(this);
    m_ui->CPNo->installEventFilter(this);
    m_ui->FoutText->setFocus();
    connectHandlers();
    connectBoardHandlers();
    refreshPortToolTip();
}

ControlPanel::~ControlPanel()
{
    delete m_eeData;
}

void ControlPanel::connectHandlers()
{
    Ui::ControlPanel& ui = *m_ui;
    connect(ui.FoutText, &QLineEdit::textChanged, this, &ControlPanel::recalculate);
    connect(ui.FrText, &QLineEdit::textChanged, this, &ControlPanel::frTextChange);
    connect(ui.Rdivider, &QLineEdit::textChanged, this, &ControlPanel::rdividerChange);
    connect(ui.ResolutionText, &QLineEdit::textChanged, this, &ControlPanel::recalculate);
    // A step the user types while Integer N is ticked is theirs: clearing
    // Integer N then leaves it.
    connect(ui.ResolutionText, &QLineEdit::textEdited, this, [this] { m_stepBeforeIntN.reset(); });
    connect(ui.ForceD, &QLineEdit::textChanged, this, &ControlPanel::forceDChange);
    for (QCheckBox* box : {ui.RefDbl, ui.Refdiv2, ui.Feedback, ui.Prescale8, ui.PDpol, ui.LowSpur, ui.Enable, ui.MTLD})
        connect(box, &QCheckBox::toggled, this, &ControlPanel::recalculate);
    connect(ui.IntN, &QCheckBox::toggled, this, &ControlPanel::intNClick);
    for (QRadioButton* button : std::initializer_list<QRadioButton*>{ui.MuxNone, ui.MuxR, ui.MuxN, ui.MuxL}) {
        connect(button, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected)
                muxButtonSelected();
        });
    }
    connect(ui.OutDivCont, &SettingScrollBar::settingChanged, this, &ControlPanel::outDivContChange);
    connect(ui.ChrgPump, &SettingScrollBar::settingChanged, this, &ControlPanel::chrgPumpChange);
    connect(ui.Pwr, &SettingScrollBar::settingChanged, this, &ControlPanel::pwrChange);
    connect(ui.AutoDiv, &QPushButton::clicked, this, &ControlPanel::autoDivClick);
    connect(ui.NMCalc, &QPushButton::clicked, this, &ControlPanel::nmCalcClick);
    connect(ui.PicEEdata, &QPushButton::clicked, this, &ControlPanel::picEEdataClick);
    connect(ui.GenRegFile, &QCheckBox::toggled, this, &ControlPanel::genRegFileClick);
    connect(ui.CPNo, &QLineEdit::textChanged, this, &ControlPanel::cpNoChange);
}

EEdataWindow* ControlPanel::eeDataWindow()
{
    if (!m_eeData)
        m_eeData = new EEdataWindow();
    return m_eeData;
}

Settings ControlPanel::readSettings() const
{
    const Ui::ControlPanel& ui = *m_ui;
    Settings s;
    s.foutText = ui.FoutText->text().toStdString();
    s.frText = ui.FrText->text().toStdString();
    s.rdividerText = ui.Rdivider->text().toStdString();
    s.resolutionText = ui.ResolutionText->text().toStdString();
    s.refDbl = ui.RefDbl->isChecked();
    s.refDiv2 = ui.Refdiv2->isChecked();
    s.feedback = ui.Feedback->isChecked();
    s.prescale8 = ui.Prescale8->isChecked();
    s.pdPol = ui.PDpol->isChecked();
    s.lowSpur = ui.LowSpur->isChecked();
    s.enable = ui.Enable->isChecked();
    s.mtld = ui.MTLD->isChecked();
    s.intN = ui.IntN->isChecked();
    s.trackDivider = ui.TrackDivider->isChecked();
    // Tested in this order; a later selected button wins.
    const std::pair<QRadioButton*, MuxButton> buttons[] = {
        {ui.MuxNone, MuxButton::MuxNone}, {ui.MuxR, MuxButton::MuxR}, {ui.MuxN, MuxButton::MuxN}, {ui.MuxL, MuxButton::MuxL}};
    for (const auto& [button, mux] : buttons) {
        if (button->isChecked())
            s.mux = mux;
    }
    s.outDivCont = ui.OutDivCont->settingValue();
    s.chrgPump = ui.ChrgPump->settingValue();
    s.pwr = ui.Pwr->settingValue();
    s.chip = m_chipOptions;
    return s;
}

void ControlPanel::setChipOptions(const ChipOptions& options)
{
    if (options == m_chipOptions)
        return;
    takeChipOptions(options);
    recalculate();
}

void ControlPanel::takeChipOptions(const ChipOptions& options)
{
    if (options.muxCode) {
        clearMuxButtons();
    } else if (m_chipOptions.muxCode) {
        const Ui::ControlPanel& ui = *m_ui;
        const bool buttonSelected = ui.MuxNone->isChecked() || ui.MuxR->isChecked() || ui.MuxN->isChecked()
                                    || ui.MuxL->isChecked();
        // Neither a code nor a button: three-state, as in a window where none has been chosen.
        if (!buttonSelected)
            m_plan.muxVal = static_cast<int>(MuxOut::ThreeState);
    }
    if (options == m_chipOptions)
        return;
    m_chipOptions = options;
    emit chipOptionsChanged(m_chipOptions);
}

void ControlPanel::setFollowDatasheet(bool on)
{
    if (on == m_followDatasheet)
        return;
    m_followDatasheet = on;
    emit followDatasheetChanged(on);
}

// A button takes its own code back from a code chosen among the chip options.
void ControlPanel::muxButtonSelected()
{
    if (m_chipOptions.muxCode) {
        m_chipOptions.muxCode.reset();
        emit chipOptionsChanged(m_chipOptions);
    }
    recalculate();
}

void ControlPanel::clearMuxButtons()
{
    const Ui::ControlPanel& ui = *m_ui;
    for (QRadioButton* button : std::initializer_list<QRadioButton*>{ui.MuxNone, ui.MuxR, ui.MuxN, ui.MuxL}) {
        // The selected button of an exclusive set cannot be cleared otherwise.
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void ControlPanel::recalculate()
{
    if (m_awaitingBoardSet || m_holdingPlan || m_applyingSuggestion)
        return;
    eeDataWindow()->hide();
    m_ui->TrackDivider->setEnabled(true);

    const Settings settings = readSettings();
    const PlanResult result = computePlan(settings, m_plan);
    // Kept before any control is written: a write of FoutText while tracking
    // runs this again, nested, and the nested run must start from this plan.
    m_plan = result.values;
    m_planOutcome = result.outcome;
    m_planStopReason = fromStd(planStopReason(result));
    showPlanResult(result);
    emit chipChecked(checkChip(settings, result, m_loopBandwidth));
}

ChipCheck ControlPanel::checkControls() const
{
    const Settings settings = readSettings();
    return checkChip(settings, computePlan(settings, m_plan), m_loopBandwidth);
}

void ControlPanel::setLoopBandwidth(const LoopBandwidth& loop)
{
    if (loop == m_loopBandwidth)
        return;
    m_loopBandwidth = loop;
    emit loopBandwidthChanged(m_loopBandwidth);
    recalculate();
}

bool ControlPanel::recalculateForSet(const QString& refused)
{
    recalculate();
    if (m_planStopReason.isEmpty())
        return true;
    const QString text =
        QStringLiteral("%1: the settings give no complete plan (%2).").arg(refused, m_planStopReason);
    appendToText1(text + QString::fromLatin1(kCrLf));
    m_messages.showMessage(text);
    return false;
}

QWidget* ControlPanel::lastInTabOrder() const { return m_ui->IntN; }

void ControlPanel::showPlanResult(const PlanResult& result)
{
    showStyled(m_ui->Label6, result.pfdLabel);
    if (result.trackedFoutText)
        m_ui->FoutText->setText(fromStd(*result.trackedFoutText));
    showStyled(m_ui->Fvco, result.vcoLabel);
    if (result.has(PlanWarning::PrescalerRequired))
        m_messages.showMessage(QString::fromLatin1(kPrescalerMessage));
    if (result.listingText)
        m_ui->ValuesText->setPlainText(shownText(*result.listingText));
    if (result.listingColour)
        setRoleColour(m_ui->ValuesText, QPalette::Text, *result.listingColour);
}

void ControlPanel::setResolutionText(const std::optional<std::string>& text)
{
    if (text)
        m_ui->ResolutionText->setText(fromStd(*text));
}

bool ControlPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->FoutText && event->type() == QEvent::MouseButtonPress)
        foutTextClick();
    // The ports come and go (adapters are plugged in): list them as they are now.
    if (watched == m_ui->CPNo && event->type() == QEvent::ToolTip)
        refreshPortToolTip();
    // A path longer than the box shows its end, the device's own name.
    if (watched == m_ui->CPNo && event->type() == QEvent::FocusOut)
        m_ui->CPNo->end(false);
    return QWidget::eventFilter(watched, event);
}

void ControlPanel::closeEvent(QCloseEvent* event)
{
    // A set or a sweep step on its way to the board goes out whole first
    // (at most 1.2 s for Write EE): the chip or its EEPROM never keeps half.
    if (m_commandBusy || m_boardHeld) {
        event->ignore();
        if (!m_closeWhenIdle) {
            m_closeWhenIdle = true;
            appendToText1(QStringLiteral("Closing once the lines under way have gone out whole")
                          + QString::fromLatin1(kCrLf));
            emit closeWaitsForBoard();
        }
        return;
    }
    // Closing the panel ends the program, with the EE Data window open or not.
    if (m_eeData)
        m_eeData->close();
    event->accept();
    QApplication::quit();
}

bool ControlPanel::setWantedOutput(const QString& mhzText, bool autoSet, const QString& what)
{
    if (m_awaitingBoardSet)
        return false;
    asWholeChange(what, [&] {
        foutTextClick();
        m_ui->FoutText->setText(mhzText);
        if (autoSet)
            autoDivClick();
    });
    return true;
}

void ControlPanel::foutTextClick()
{
    // A frequency typed next is the wanted output, not one tracked from the VCO.
    m_ui->TrackDivider->setChecked(false);
}

void ControlPanel::frTextChange()
{
    setRoleColour(m_ui->FrText, QPalette::Base, kWhite);
    recalculate();
}

void ControlPanel::rdividerChange()
{
    recalculate();
    setResolutionText(integerNResolutionText(m_plan));
}

void ControlPanel::forceDChange()
{
    setResolutionText(forcedResolutionText(m_ui->IntN->isChecked(), m_ui->ForceD->text().toStdString(), m_plan));
}

void ControlPanel::intNClick()
{
    const bool ticked = m_ui->IntN->isChecked();
    // Ticking writes the integer-N step over the user's step, which clearing
    // gives back. A decode, a file or a suggestion brings a step of its own.
    const bool users = !m_holdingPlan && !m_applyingSuggestion;
    std::optional<QString> replacedStep;
    if (!ticked && users)
        replacedStep = std::exchange(m_stepBeforeIntN, std::nullopt);
    m_stepBeforeIntN.reset();
    if (ticked && users)
        m_stepBeforeIntN = m_ui->ResolutionText->text();
    // Only the user's own tick follows the datasheet: a decode or an opened
    // file brings the options it holds. Options changed out of sight are
    // one change with the tick, to be undone together.
    if (m_followDatasheet && !m_holdingPlan) {
        PanelSnapshot before = m_wholeChangeDepth > 0 ? PanelSnapshot{} : snapshot();
        // The tick has landed; before it the box stood the other way.
        before.settings.settings.intN = !m_ui->IntN->isChecked();
        asWholeChange(
            QStringLiteral("Follow the Datasheet"),
            [this, &replacedStep] {
                ChipOptions followed = m_chipOptions;
                followDatasheetForMode(followed, m_ui->IntN->isChecked());
                takeChipOptions(followed);
                intNTaken(replacedStep);
            },
            before);
        return;
    }
    intNTaken(replacedStep);
}

void ControlPanel::intNTaken(const std::optional<QString>& replacedStep)
{
    recalculate();
    if (m_ui->IntN->isChecked()) {
        m_ui->NMCalc->setEnabled(false);
        setResolutionText(integerNResolutionText(m_plan));
    } else {
        m_ui->NMCalc->setEnabled(true);
        if (replacedStep)
            m_ui->ResolutionText->setText(*replacedStep);
    }
    recalculate();
}

void ControlPanel::outDivContChange(int k)
{
    setDividerByAutoSet(m_autoSetting);
    moveDivider(m_plan, k);
    m_ui->OutDivLabel->setText(shownText(dividerLabel(k)));
    recalculate();
}

void ControlPanel::chrgPumpChange(int value)
{
    m_ui->ChrgPumpLabel->setText(fromStd(chargePumpLabel(value)));
    recalculate();
}

void ControlPanel::pwrChange(int value)
{
    m_ui->PwrLabel->setText(fromStd(powerLabel(value)));
    recalculate();
}

void ControlPanel::autoDivClick()
{
    const std::string foutText = m_ui->FoutText->text().toStdString();
    const std::optional<int> k = startAutoSet(m_plan, foutText);
    if (!k) {
        // Nothing moves; the strip says why until the plan next runs.
        if (!m_awaitingBoardSet && !m_holdingPlan) {
            ChipCheck check = checkControls();
            if (const std::optional<std::string> why = autoSetRefusal(readLeadingNumber(foutText)))
                check.panelNotes.insert(check.panelNotes.begin(), *why);
            emit chipChecked(check);
        }
        return;
    }
    // Every move of the divider runs its handler, and with it the plan, before
    // the next step doubles the VCO the plan left.
    {
        const QScopedValueRollback<bool> autoSetting(m_autoSetting, true);
        m_ui->OutDivCont->setSettingValue(0);
        for (int step = 1; step <= *k; ++step) {
            stepAutoSet(m_plan);
            m_ui->OutDivCont->setSettingValue(step);
        }
    }
    setDividerByAutoSet(true);
}

void ControlPanel::setDividerByAutoSet(bool byAutoSet)
{
    if (byAutoSet == m_dividerByAutoSet)
        return;
    m_dividerByAutoSet = byAutoSet;
    emit dividerByAutoSetChanged(byAutoSet);
}

void ControlPanel::nmCalcClick()
{
    const BestFractionPress press = pressBestFraction(m_plan);
    if (!press.searched)
        return;
    m_ui->ForceD->setText(QString());
    if (press.forceDText)
        m_ui->ForceD->setText(fromStd(*press.forceDText));
}

void ControlPanel::picEEdataClick()
{
    // A stopped plan leaves the last complete plan's words in place: they
    // must not go into a listing the board's firmware is built from.
    if (!recalculateForSet(QStringLiteral("PIC EE Data made no listing")))
        return;
    EEdataWindow* window = eeDataWindow();
    window->show();
    // The reference as typed, in the bytes of the user's own encoding.
    const std::string listing = eeDataListing(m_plan, m_ui->FrText->text().toLocal8Bit().toStdString());
    window->setListing(QString::fromLocal8Bit(listing.data(), qsizetype(listing.size())));
    if (m_ui->GenRegFile->isChecked())
        appendToRegisterFile(listing);
}

void ControlPanel::appendToRegisterFile(const std::string& listing)
{
    const BlockAppend result = appendRegisterBlock(std::filesystem::path(m_ui->RegFileName->text().toStdU16String()),
                                                   m_ui->BlockNo->text().toStdString(), listing);
    if (!result.ok()) {
        m_messages.showMessage(QString::fromLocal8Bit(result.failure.data(), qsizetype(result.failure.size())));
        return;
    }
    // A bare name lands in the current folder, which the user may not know:
    // the file's whole path is said once, and kept in the tool tip.
    const QString path = QDir::toNativeSeparators(QFileInfo(m_ui->RegFileName->text()).absoluteFilePath());
    if (path != m_registerFileSaid) {
        m_registerFileSaid = path;
        appendToText1(QStringLiteral("Block %1 appended to the register listing file %2")
                          .arg(m_ui->BlockNo->text(), path)
                      + QString::fromLatin1(kCrLf));
    }
    m_ui->RegFileName->setToolTip(path);
    m_ui->BlockNo->setText(fromStd(*result.nextBlockNo));
    emit statusMessage(QStringLiteral("PIC EE Data: the listing was appended to %1").arg(path));
}

void ControlPanel::genRegFileClick()
{
    m_ui->RegFileName->setVisible(true);
    m_ui->BlockNo->setVisible(true);
    m_ui->Label7->setVisible(true);
}

void ControlPanel::cpNoChange()
{
    showPortToolTip();
    m_ui->SetCP->setText(QStringLiteral("Set"));
    QFont font = m_ui->SetCP->font();
    font.setBold(true);
    m_ui->SetCP->setFont(font);
}
