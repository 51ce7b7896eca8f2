#include "plan_quality_window.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "control_panel.h"
#include "frequency_units.h"
#include "number_format.h"
#include "quality_text.h"
#include "secondary_window.h"
#include "widget_colours.h"

using namespace vantrel;

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

// The figures' rows, in the order of qualityLines; the loop bandwidth, the
// last line, has a row of its own with its box.
constexpr const char* kFigureNames[] = {"PfdFigure",    "InBandFloor",     "Flicker10k", "InBand10k",
                                        "BoundarySpur", "FractionalSpurs", "PfdSpur"};
constexpr int kFigureRows = 7;

enum Column { Changes, Error, InBand, Boundary, Fractional, Pfd, Columns };

// An error as the listing shows it, rounded first so that a few
// thousandths below zero show as "0.0Hz", not "-0.0Hz".
QString errorText(double errorHz) { return fromStd(formatMask(shownValue(errorHz, 2), "###0.0#Hz")); }

// One row of the list: the changes (or "Current plan") and the figures.
QStringList rowTexts(const QString& changes, double errorHz, const PlanQuality& q)
{
    QString boundary = fromStd(boundarySpurText(q));
    if (q.boundary == BoundarySpur::Present)
        boundary += q.boundarySpurInLoop ? QStringLiteral(", inside the loop") : QStringLiteral(", outside");
    return {changes,
            errorText(errorHz),
            fromStd(noiseText(q.inBand10kHzDbcHz)),
            boundary,
            fromStd(fractionalSpursText(q)),
            fromStd(formatMask(q.pfdMHz, kPfdMHzMask) + " MHz")};
}

} // namespace

PlanQualityWindow::PlanQualityWindow(ControlPanel& panel, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_panel(panel)
{
    setObjectName(QStringLiteral("PlanQualityWindow"));
    setWindowTitle(QStringLiteral("Plan Quality"));
    setWindowIcon(panel.windowIcon());
    // The panel's close ends the program; this window never keeps it alive.
    setAttribute(Qt::WA_QuitOnClose, false);
    build();
    m_adviceTimer.setSingleShot(true);
    m_adviceTimer.setInterval(kAdviceDelay);
    connect(&m_adviceTimer, &QTimer::timeout, this, &PlanQualityWindow::adviseNow);
    connect(&panel, &ControlPanel::chipChecked, this, &PlanQualityWindow::planChecked);
    connect(&panel, &ControlPanel::loopBandwidthChanged, this, &PlanQualityWindow::showLoopBandwidth);
    connect(m_loopBandwidth, &QLineEdit::textEdited, this, &PlanQualityWindow::loopBandwidthEdited);
    connect(m_suggestions, &QTreeWidget::itemSelectionChanged, this, &PlanQualityWindow::updateApply);
    connect(m_apply, &QPushButton::clicked, this, &PlanQualityWindow::apply);
    showLoopBandwidth(panel.loopBandwidth());
    showFigures(panel.checkControls().quality);
}

void PlanQualityWindow::build()
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);

    auto* figures = new QGroupBox(QStringLiteral("Figures of the plan"));
    auto* form = new QFormLayout(figures);
    const std::vector<QualityLine> captions = qualityLines(PlanQuality{});
    for (int row = 0; row < kFigureRows; ++row) {
        auto* value = new QLabel;
        value->setObjectName(QLatin1String(kFigureNames[row]));
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* caption = new QLabel(fromStd(captions[std::size_t(row)].label));
        caption->setBuddy(value);
        value->setAccessibleName(caption->text());
        form->addRow(caption, value);
        m_figures[row] = value;
    }
    auto* loopRow = new QHBoxLayout;
    m_loopBandwidth = new QLineEdit;
    m_loopBandwidth->setObjectName(QStringLiteral("LoopBandwidth"));
    m_loopBandwidth->setPlaceholderText(fromStd(plainNumber(kAssumedLoopBandwidthKHz)));
    m_loopBandwidth->setMaximumWidth(80);
    m_loopBandwidth->setToolTip(
        QStringLiteral("The loop bandwidth of the board's loop filter, in kHz (%1 to %2; a unit such as \"1.2 MHz\" "
                       "may follow). An integer-boundary spur closer to the carrier than this is inside the loop, "
                       "where the filter does not lower it. Empty: %3 kHz is assumed.")
            .arg(fromStd(plainNumber(kMinLoopBandwidthKHz)), fromStd(plainNumber(kMaxLoopBandwidthKHz)),
                 fromStd(plainNumber(kAssumedLoopBandwidthKHz))));
    m_loopBandwidth->setAccessibleName(QStringLiteral("Loop bandwidth"));
    m_loopState = new QLabel;
    m_loopState->setObjectName(QStringLiteral("LoopBandwidthState"));
    loopRow->addWidget(m_loopBandwidth);
    loopRow->addWidget(m_loopState, 1);
    auto* loopCaption = new QLabel(QStringLiteral("Loop &bandwidth"));
    loopCaption->setBuddy(m_loopBandwidth);
    form->addRow(loopCaption, loopRow);
    layout->addWidget(figures);

    auto* note = new QLabel(QString::fromLatin1(kQualityEstimateNote));
    note->setObjectName(QStringLiteral("EstimateNote"));
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* advisor = new QGroupBox(QStringLiteral("Cleaner plans for the same output, reference and step"));
    auto* column = new QVBoxLayout(advisor);
    m_adviceState = new QLabel;
    m_adviceState->setObjectName(QStringLiteral("AdviceState"));
    m_adviceState->setWordWrap(true);
    column->addWidget(m_adviceState);
    m_suggestions = new QTreeWidget;
    m_suggestions->setObjectName(QStringLiteral("Suggestions"));
    m_suggestions->setRootIsDecorated(false);
    m_suggestions->setAllColumnsShowFocus(true);
    m_suggestions->setHeaderLabels({QStringLiteral("Changes"), QStringLiteral("Error"),
                                    QStringLiteral("In-band at 10 kHz"), QStringLiteral("Boundary spur"),
                                    QStringLiteral("Fractional spurs"), QStringLiteral("PFD")});
    m_suggestions->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_suggestions->setAccessibleName(QStringLiteral("Suggestions"));
    m_suggestions->setToolTip(QStringLiteral(
        "Ranked: no integer-boundary spur, or one outside the loop bandwidth, first; then lower in-band noise at "
        "10 kHz; then a larger boundary-spur offset; then fewer changes. The first row is the current plan."));
    // An item view does not take its tool tip for its description.
    m_suggestions->setAccessibleDescription(m_suggestions->toolTip());
    column->addWidget(m_suggestions, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_apply = new QPushButton(QStringLiteral("&Apply"));
    m_apply->setObjectName(QStringLiteral("Apply"));
    m_apply->setToolTip(QStringLiteral("Makes the selected suggestion's changes in the panel, as typing and ticking "
                                       "them would; the step stays as it is."));
    buttons->addWidget(m_apply);
    column->addLayout(buttons);
    layout->addWidget(advisor, 1);
    putInScrollArea(*this, content, QStringLiteral("&Close"), QSize(780, 560));
    closeOnEscape(*this);
    fitWithinScreen(*this);
    updateApply();
}

void PlanQualityWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Hidden, it followed nothing: it shows the panel as it stands now.
    showFigures(m_panel.checkControls().quality);
    adviseNow();
}

void PlanQualityWindow::planChecked(const ChipCheck& check)
{
    if (!isVisible())
        return;
    showFigures(check.quality);
    // The list is of the plan before: shown still, but not to be applied.
    m_advice.reset();
    m_suggestions->setEnabled(false);
    m_adviceState->setText(QStringLiteral("Searching the plans for these settings\u2026"));
    updateApply();
    m_adviceTimer.start();
}

void PlanQualityWindow::showFigures(const std::optional<PlanQuality>& quality)
{
    const std::vector<QualityLine> lines = quality ? qualityLines(*quality) : std::vector<QualityLine>();
    for (int row = 0; row < kFigureRows; ++row) {
        QString value;
        if (!quality && row == 0)
            value = QStringLiteral("none: the plan stopped");
        else if (quality)
            value = fromStd(lines[std::size_t(row)].value);
        m_figures[row]->setText(value);
        // Named by its caption, the figure is spoken as the description.
        m_figures[row]->setAccessibleDescription(value);
    }
}

void PlanQualityWindow::showLoopBandwidth(const LoopBandwidth& loop)
{
    // A text that already reads as this bandwidth stays as typed.
    const FrequencyReading typed = readFrequency(m_loopBandwidth->text().toStdString(), FrequencyUnit::kHz);
    const bool same = loop.assumed() ? m_loopBandwidth->text().trimmed().isEmpty()
                                     : typed.value && *typed.value == *loop.setKHz;
    if (!same)
        m_loopBandwidth->setText(loop.assumed() ? QString() : fromStd(plainNumber(*loop.setKHz)));
    setRoleColour(m_loopBandwidth, QPalette::Base, kWhite);
    // With the board's filter entered, each plan's crossover stands instead.
    m_loopBandwidth->setEnabled(!loop.fromFilter());
    m_loopState->setText(loop.fromFilter() ? QStringLiteral("kHz: each plan's crossover, from the loop filter "
                                                            "(Plan \u25B8 Loop Filter\u2026)")
                         : loop.assumed()  ? QStringLiteral("kHz, assumed: the board's loop filter decides it")
                                           : QStringLiteral("kHz"));
}

void PlanQualityWindow::loopBandwidthEdited(const QString& text)
{
    if (text.trimmed().isEmpty()) {
        m_panel.setLoopBandwidth(LoopBandwidth(std::nullopt, m_panel.loopBandwidth().circuit));
        showLoopBandwidth(m_panel.loopBandwidth());
        return;
    }
    const FrequencyReading reading = readFrequency(text.toStdString(), FrequencyUnit::kHz);
    if (reading.value && isLoopBandwidth(*reading.value)) {
        m_panel.setLoopBandwidth(LoopBandwidth(*reading.value, m_panel.loopBandwidth().circuit));
        showLoopBandwidth(m_panel.loopBandwidth());
        return;
    }
    // Said beside the box; the figures keep the bandwidth they had.
    setRoleColour(m_loopBandwidth, QPalette::Base, kRed);
    const LoopBandwidth& kept = m_panel.loopBandwidth();
    m_loopState->setText(QStringLiteral("not a bandwidth of %1 to %2 kHz; the figures keep %3 kHz%4")
                             .arg(fromStd(plainNumber(kMinLoopBandwidthKHz)), fromStd(plainNumber(kMaxLoopBandwidthKHz)),
                                  fromStd(plainNumber(kept.kHz())),
                                  kept.assumed() ? QStringLiteral(" (assumed)") : QString()));
}

void PlanQualityWindow::adviseNow()
{
    m_adviceTimer.stop();
    m_advice = advisePlans(m_panel.adviceRequest());
    showAdvice();
}

void PlanQualityWindow::showAdvice()
{
    m_suggestions->clear();
    m_suggestions->setEnabled(true);
    const Advice& advice = *m_advice;
    m_adviceState->setText(QStringLiteral("Advisor: ") + fromStd(adviceStatus(advice)));
    auto* current = new QTreeWidgetItem(
        advice.current ? rowTexts(QStringLiteral("Current plan"), m_panel.plan().errorHz, *advice.current)
                       : QStringList{QStringLiteral("Current plan: stopped")});
    // The current plan stands beside the suggestions for comparison; it is nothing to apply.
    current->setFlags(Qt::ItemIsEnabled);
    QFont bold = current->font(Changes);
    bold.setBold(true);
    current->setFont(Changes, bold);
    m_suggestions->addTopLevelItem(current);
    for (const PlanSuggestion& suggestion : advice.suggestions) {
        QStringList changes;
        for (const std::string& change : suggestion.changes)
            changes << fromStd(change);
        m_suggestions->addTopLevelItem(
            new QTreeWidgetItem(rowTexts(changes.join(QStringLiteral(", ")), suggestion.plan.errorHz, suggestion.quality)));
    }
    if (!advice.suggestions.empty() && !advice.currentIsCleanest)
        m_suggestions->setCurrentItem(m_suggestions->topLevelItem(1));
    updateApply();
}

void PlanQualityWindow::updateApply()
{
    const int row = m_suggestions->currentItem() && m_suggestions->currentItem()->isSelected()
                        ? m_suggestions->indexOfTopLevelItem(m_suggestions->currentItem())
                        : -1;
    m_apply->setEnabled(m_advice && row >= 1);
}

void PlanQualityWindow::apply()
{
    if (!m_advice || !m_suggestions->currentItem())
        return;
    const int row = m_suggestions->indexOfTopLevelItem(m_suggestions->currentItem());
    if (row < 1 || std::size_t(row) > m_advice->suggestions.size())
        return;
    const PlanChange change = m_advice->suggestions[std::size_t(row - 1)].change;
    m_panel.applySuggestion(change);
}
