#include "loop_filter_window.h"

#include <algorithm>

#include <QBoxLayout>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QtCharts/QChartView>

#include "control_panel.h"
#include "echoed_text.h"
#include "file_chooser.h"
#include "frequency_units.h"
#include "loop_filter_text.h"
#include "loop_plots.h"
#include "loop_schematic.h"
#include "loop_text.h"
#include "message_sink.h"
#include "number_format.h"
#include "part_value.h"
#include "secondary_window.h"
#include "widget_colours.h"

using namespace vantrel;

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

constexpr double kHzPerKHz = 1e3;
constexpr double kHzPerMHz = 1e6;
constexpr double kOhmPerKOhm = 1e3;
// Echoed in a message at most this long.
constexpr std::size_t kEchoedChars = 40;

struct BoxInfo {
    const char* objectName;
    const char* caption; // with its mnemonic
    const char* unit;
    const char* tip;
};

constexpr BoxInfo kBoxes[] = {
    {"C1", "C&1", "F", "C1, from the charge pump to ground: 1.5n, 1.5 nF or 1.5e-9"},
    {"C2", "C&2", "F", "C2, in series with R2 to ground: 22n, 22 nF"},
    {"C3", "C&3", "F", "C3, from the VCO's tuning input to ground; empty with R3 for a second-order filter"},
    {"R2", "&R2", "ohm", "R2, in series with C2: 1k, 2k2, 2.2k or 2200"},
    {"R3", "R3", "ohm", "R3, from C1 on to the VCO's tuning input; empty with C3 for a second-order filter"},
    {"Kv", "&Kv", "MHz/V", "The VCO's tuning sensitivity in MHz/V (or with a unit: 40M, 40 MHz/V)"},
    {"Rset", "RS&ET", "kOhm", "RSET in kOhm (or with a prefix: 5k1); the charge-pump current scales with 5.1 kOhm / RSET"},
    {"JitterStart", "Jitter &from", "Hz", "Where the RMS phase error and jitter integration starts: 1k, 1 kHz, 1000"},
    {"JitterStop", "&to", "Hz", "Where it stops: 10M, 10 MHz"},
    {"DesignCrossover", "Cr&ossover", "kHz", "The crossover (loop bandwidth) to design for, kHz or with a unit; "
                                             "empty: no design target"},
    {"DesignPhaseMargin", "&Phase margin", "degrees", "Above 0 and below 90 (default 45)"},
    {"DesignGamma", "&Gamma", "", "The textbook's gamma (default 1.024, the optimum for 45 degrees)"},
    {"DesignT31", "T31", "", "T3 / T1, from 0 (a second-order filter) up to 1 (default 0.6)"},
};

QString caption(int box) { return QString::fromUtf8(kBoxes[box].caption).remove(QLatin1Char('&')); }

// One box's text as a value in the unit the settings keep (F, ohm, MHz/V,
// kOhm, Hz); empty when the box is; the error when it reads as none.
struct BoxReading {
    bool empty = false;
    std::optional<double> value;
    std::string error;
};

enum Box { C1, C2, C3, R2, R3, Kv, Rset, JitterStart, JitterStop, Crossover, PhaseMargin, Gamma, T31, BoxCount };
static_assert(BoxCount == std::size(kBoxes));

BoxReading readBox(int box, const QString& text)
{
    const std::string typed = text.toStdString();
    BoxReading reading;
    if (text.trimmed().isEmpty()) {
        reading.empty = true;
        return reading;
    }
    const auto take = [&reading](const QuantityReading& q, double per) {
        if (q.value)
            reading.value = *q.value / per;
        reading.error = q.error;
    };
    switch (box) {
    case C1: case C2: case C3: take(readQuantity(typed, Quantity::Capacitance), 1); break;
    case R2: case R3: take(readQuantity(typed, Quantity::Resistance), 1); break;
    case Kv: take(readQuantity(typed, Quantity::Sensitivity, kHzPerMHz), kHzPerMHz); break;
    case Rset: take(readQuantity(typed, Quantity::Resistance, kOhmPerKOhm), kOhmPerKOhm); break;
    case JitterStart:
    case JitterStop:
    case Crossover: {
        const FrequencyReading f = readFrequency(typed, box == Crossover ? FrequencyUnit::kHz : FrequencyUnit::Hz);
        if (f.value)
            reading.value = *f.value * (box == Crossover ? kHzPerKHz : 1);
        reading.error = f.error;
        break;
    }
    default:
        reading.value = readPlainNumber(typed);
        if (!reading.value)
            reading.error = "is not a number";
    }
    return reading;
}

// The text a box is given for a value of the settings.
QString boxText(int box, double value)
{
    switch (box) {
    case C1: case C2: case C3: case R2: case R3: return value == 0 ? QString() : fromStd(engineeringText(value, kExactPartDigits));
    case JitterStart: case JitterStop: return fromStd(engineeringText(value, 6));
    case Crossover: return fromStd(plainNumber(value / kHzPerKHz));
    default: return fromStd(plainNumber(value));
    }
}

// The box a reason names ("C3 is 0 while R3 is set" names C3).
int boxNamed(const std::string& why, int fallback)
{
    for (int box = C1; box <= R3; ++box) {
        if (why.rfind(kBoxes[box].objectName, 0) == 0)
            return box;
    }
    return fallback;
}

} // namespace

LoopFilterWindow::LoopFilterWindow(ControlPanel& panel, MessageSink& messages, FileChooser& files, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_panel(panel)
    , m_messages(messages)
    , m_files(files)
{
    setObjectName(QStringLiteral("LoopFilterWindow"));
    setWindowTitle(QStringLiteral("Loop Filter"));
    setWindowIcon(panel.windowIcon());
    // The panel's close ends the program; this window never keeps it alive.
    setAttribute(Qt::WA_QuitOnClose, false);
    build();
    connectHandlers();
    showSettings(panel.loopSettings());
    if (const std::optional<PlanQuality> quality = panel.checkControls().quality; quality && quality->boundarySpurOffset())
        m_boundarySpurHz = *quality->boundarySpurOffset() * kHzPerKHz;
    refresh();
    sizeToContent();
}

void LoopFilterWindow::connectHandlers()
{
    for (QLineEdit* box : m_boxes)
        connect(box, &QLineEdit::textEdited, this, &LoopFilterWindow::edited);
    connect(&m_panel, &ControlPanel::chipChecked, this, &LoopFilterWindow::planChecked);
    connect(&m_panel, &ControlPanel::loopSettingsChanged, this, [this](const LoopSettings& loop) {
        showSettings(loop);
        refresh();
    });
    connect(m_design, &QPushButton::clicked, this, &LoopFilterWindow::design);
    connect(m_exportPng, &QPushButton::clicked, this, &LoopFilterWindow::exportPng);
    connect(m_exportCsv, &QPushButton::clicked, this, &LoopFilterWindow::exportCsv);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

void LoopFilterWindow::build()
{
    for (int box = 0; box < BoxCount; ++box) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QLatin1String(kBoxes[box].objectName));
        const QString unit = QString::fromLatin1(kBoxes[box].unit);
        edit->setAccessibleName(unit.isEmpty() ? caption(box) : caption(box) + QStringLiteral(", ") + unit);
        edit->setToolTip(QString::fromUtf8(kBoxes[box].tip));
        edit->setMinimumWidth(70);
        edit->setMaximumWidth(110);
        m_boxes[box] = edit;
    }
    auto* content = new QWidget;
    auto* columns = new QHBoxLayout(content);
    auto* left = new QVBoxLayout;
    left->addWidget(partsGroup());
    left->addWidget(designGroup());
    left->addWidget(figuresGroup());
    left->addStretch();
    columns->addLayout(left);
    m_plots = new LoopPlots;
    m_plots->setMinimumSize(420, 300);
    columns->addWidget(m_plots, 1);

    auto* scroll = new QScrollArea;
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setObjectName(QStringLiteral("ContentScroll"));
    // Tab goes through the content's controls; the area scrolls to each.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    auto* buttons = new QHBoxLayout;
    m_state = new QLabel;
    m_state->setObjectName(QStringLiteral("LoopState"));
    m_state->setWordWrap(true);
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_state->setAccessibleName(QStringLiteral("Loop filter state"));
    buttons->addWidget(m_state, 1);
    m_exportPng = new QPushButton(QStringLiteral("E&xport PNG…"));
    m_exportPng->setObjectName(QStringLiteral("ExportPng"));
    m_exportPng->setToolTip(QStringLiteral("The plot on the tab shown, as a picture"));
    m_exportCsv = new QPushButton(QStringLiteral("Export &CSV…"));
    m_exportCsv->setObjectName(QStringLiteral("ExportCsv"));
    m_exportCsv->setToolTip(QStringLiteral("The curves of the tab shown: ") + QString::fromLatin1(kNoiseCurveColumns)
                            + QStringLiteral(" or ") + QString::fromLatin1(kBodeColumns));
    m_close = new QPushButton(QStringLiteral("Close"));
    m_close->setObjectName(QStringLiteral("Close"));
    for (QPushButton* button : {m_exportPng, m_exportCsv, m_close})
        buttons->addWidget(button);
    layout->addLayout(buttons);

    fitWithinScreen(*this);
}

void LoopFilterWindow::sizeToContent()
{
    // As large as its content asks, wrapped texts at their width, once the
    // figures are in; within the screen it opens on (a small screen at 2x
    // scaling scrolls).
    const auto* scroll = findChild<QScrollArea*>(QStringLiteral("ContentScroll"));
    QWidget* content = scroll->widget();
    QSize size = content->sizeHint();
    if (content->hasHeightForWidth())
        size.setHeight(std::max(size.height(), content->heightForWidth(size.width())));
    size = size.expandedTo(QSize(1100, 760));
    // The row of buttons under the scrolling part, and the margins.
    const QLayout* rows = layout();
    size.rheight() += rows->itemAt(1)->sizeHint().height() + std::max(0, rows->spacing())
                      + rows->contentsMargins().top() + rows->contentsMargins().bottom();
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen)
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size);
}

QWidget* LoopFilterWindow::partsGroup()
{
    auto* group = new QGroupBox(QStringLiteral("The board's loop filter"));
    auto* column = new QVBoxLayout(group);
    column->addWidget(new LoopSchematic);
    auto* grid = new QGridLayout;
    const auto row = [this, grid](int box, int line, int at) {
        auto* label = new QLabel(QString::fromUtf8(kBoxes[box].caption));
        label->setBuddy(m_boxes[box]);
        grid->addWidget(label, line, at);
        grid->addWidget(m_boxes[box], line, at + 1);
        grid->addWidget(new QLabel(QString::fromLatin1(kBoxes[box].unit)), line, at + 2);
    };
    row(C1, 0, 0);
    row(C2, 1, 0);
    row(C3, 2, 0);
    row(R2, 0, 3);
    row(R3, 1, 3);
    row(Kv, 3, 0);
    row(Rset, 3, 3);
    row(JitterStart, 4, 0);
    row(JitterStop, 4, 3);
    column->addLayout(grid);
    return group;
}

QWidget* LoopFilterWindow::designGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Design for the panel's plan"));
    auto* grid = new QGridLayout(group);
    int at = 0;
    for (const int box : {Crossover, PhaseMargin, Gamma, T31}) {
        auto* label = new QLabel(QString::fromUtf8(kBoxes[box].caption));
        label->setBuddy(m_boxes[box]);
        grid->addWidget(label, at / 2, (at % 2) * 3);
        grid->addWidget(m_boxes[box], at / 2, (at % 2) * 3 + 1);
        grid->addWidget(new QLabel(QString::fromLatin1(kBoxes[box].unit)), at / 2, (at % 2) * 3 + 2);
        ++at;
    }
    m_design = new QPushButton(QStringLiteral("&Design"));
    m_design->setObjectName(QStringLiteral("Design"));
    m_design->setToolTip(QStringLiteral("Fills the parts with the E24 values nearest the filter designed for this "
                                        "crossover and phase margin at the panel's plan (its N and charge pump)"));
    grid->addWidget(m_design, 2, 0);
    m_designResult = new QLabel;
    m_designResult->setObjectName(QStringLiteral("DesignResult"));
    m_designResult->setWordWrap(false);
    m_designResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(m_designResult, 2, 1, 1, 5);
    return group;
}

QWidget* LoopFilterWindow::figuresGroup()
{
    static constexpr const char* kNames[] = {"IcpFigure",  "NEffFigure", "CrossoverFigure", "PhaseMarginFigure",
                                             "GainMarginFigure", "Noise1k", "Noise10k", "Noise100k",
                                             "Noise1M",    "RmsPhaseError", "Jitter", "ChargePumpAdvice"};
    static constexpr const char* kCaptions[] = {"Charge-pump current", "N (f_VCO / f_PFD)", "Crossover",
                                                "Phase margin", "Gain margin", "Noise at 1 kHz", "Noise at 10 kHz",
                                                "Noise at 100 kHz", "Noise at 1 MHz", "RMS phase error", "Jitter",
                                                "Charge pump"};
    auto* group = new QGroupBox(QStringLiteral("The loop at the panel's plan"));
    auto* form = new QFormLayout(group);
    for (int i = 0; i < 12; ++i) {
        auto* value = new QLabel;
        value->setObjectName(QLatin1String(kNames[i]));
        // No wrapping: see the design result.
        value->setWordWrap(false);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* label = new QLabel(QLatin1String(kCaptions[i]));
        label->setBuddy(value);
        value->setAccessibleName(label->text());
        form->addRow(label, value);
        m_figures[i] = value;
    }
    return group;
}

void LoopFilterWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Hidden, it followed nothing: it shows the panel as it stands now.
    refresh();
}

void LoopFilterWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

std::optional<LoopSettings> LoopFilterWindow::readBoxes()
{
    BoxReading r[BoxCount];
    for (int box = 0; box < BoxCount; ++box) {
        r[box] = readBox(box, m_boxes[box]->text());
        setRoleColour(m_boxes[box], QPalette::Base, kWhite);
    }
    const auto fail = [this](int box, const std::string& why) {
        setRoleColour(m_boxes[box], QPalette::Base, kRed);
        const std::string echoed = echoedText(m_boxes[box]->text().toStdString(), kEchoedChars);
        showState(QStringLiteral("%1 \"%2\": %3; the figures keep the last good settings")
                      .arg(caption(box), fromStd(echoed), fromStd(why)),
                  true);
        return std::nullopt;
    };
    for (int box = 0; box < BoxCount; ++box) {
        if (!r[box].empty && !r[box].value)
            return fail(box, r[box].error);
    }
    LoopSettings loop = m_panel.loopSettings();
    const bool noParts = r[C1].empty && r[C2].empty && r[C3].empty && r[R2].empty && r[R3].empty;
    if (noParts) {
        loop.filter.reset();
    } else {
        for (const int box : {C1, C2, R2}) {
            if (r[box].empty)
                return fail(box, "is empty: give it, or empty all five parts for no filter");
        }
        const LoopFilter filter{*r[C1].value, *r[C2].value, r[C3].value.value_or(0), *r[R2].value,
                                r[R3].value.value_or(0)};
        if (const std::string why = filterError(filter); !why.empty())
            return fail(boxNamed(why, C1), why);
        loop.filter = filter;
    }
    for (const int box : {Kv, Rset, JitterStart, JitterStop}) {
        if (r[box].empty)
            return fail(box, "is empty");
    }
    loop.kvMHzPerV = *r[Kv].value;
    loop.rsetKOhm = *r[Rset].value;
    if (const std::string why = circuitError(loop.kvMHzPerV, loop.rsetKOhm); !why.empty())
        return fail(loop.kvMHzPerV > 0 ? Rset : Kv, why);
    loop.range = {*r[JitterStart].value, *r[JitterStop].value};
    if (const std::string why = jitterRangeError(loop.range); !why.empty())
        return fail(JitterStart, why);
    // Without a crossover there is no target; the other three keep their defaults when empty.
    DesignTarget target;
    target.phaseMarginDeg = r[PhaseMargin].value.value_or(kDefaultPhaseMarginDeg);
    target.gamma = r[Gamma].value.value_or(kDefaultGamma);
    target.t31 = r[T31].value.value_or(kDefaultT31);
    // Without a crossover the other three are checked all the same, for when one is typed.
    target.crossoverHz = r[Crossover].value.value_or(1.0);
    if (const std::string why = targetError(target); !why.empty()) {
        const int box = why.find("crossover") != std::string::npos ? Crossover
                        : why.find("phase") != std::string::npos   ? PhaseMargin
                        : why.find("gamma") != std::string::npos   ? Gamma
                                                                   : T31;
        return fail(box, why);
    }
    loop.target = r[Crossover].empty ? std::nullopt : std::optional<DesignTarget>(target);
    return loop;
}

void LoopFilterWindow::edited()
{
    if (const std::optional<LoopSettings> loop = readBoxes()) {
        showState(QString(), false);
        m_panel.setLoopSettings(*loop);
    }
}

void LoopFilterWindow::showSettings(const LoopSettings& loop)
{
    double values[BoxCount] = {};
    if (loop.filter) {
        values[C1] = loop.filter->c1;
        values[C2] = loop.filter->c2;
        values[C3] = loop.filter->c3;
        values[R2] = loop.filter->r2;
        values[R3] = loop.filter->r3;
    }
    values[Kv] = loop.kvMHzPerV;
    values[Rset] = loop.rsetKOhm;
    values[JitterStart] = loop.range.startHz;
    values[JitterStop] = loop.range.stopHz;
    const DesignTarget target = loop.target.value_or(DesignTarget{});
    values[PhaseMargin] = target.phaseMarginDeg;
    values[Gamma] = target.gamma;
    values[T31] = target.t31;
    for (int box = 0; box < BoxCount; ++box) {
        const BoxReading typed = readBox(box, m_boxes[box]->text());
        // Without a target the settings hold no margin, gamma or T31: what
        // is typed there stays for the crossover still to come.
        const bool targetOnly = box == PhaseMargin || box == Gamma || box == T31;
        if (targetOnly && !loop.target && !typed.empty)
            continue;
        const bool noValue = (box <= R3 && values[box] == 0) || (box == Crossover && !loop.target);
        const bool same = noValue ? typed.empty || (typed.value && *typed.value == 0 && box <= R3)
                                  : typed.value && *typed.value == (box == Crossover ? loop.target->crossoverHz : values[box]);
        if (!same)
            m_boxes[box]->setText(noValue ? QString()
                                          : boxText(box, box == Crossover ? loop.target->crossoverHz : values[box]));
        setRoleColour(m_boxes[box], QPalette::Base, kWhite);
    }
}

void LoopFilterWindow::planChecked(const ChipCheck& check)
{
    m_boundarySpurHz.reset();
    if (check.quality && check.quality->boundarySpurOffset())
        m_boundarySpurHz = *check.quality->boundarySpurOffset() * kHzPerKHz;
    if (isVisible())
        refresh();
}

void LoopFilterWindow::refresh()
{
    m_shown = m_panel.loopFigures();
    const LoopFiguresResult& result = *m_shown;
    QString texts[12];
    if (!result.figures) {
        texts[0] = QStringLiteral("none: ") + fromStd(result.error)
                   + (m_panel.loopSettings().filter ? QString() : QStringLiteral(" (type the parts, or design them)"));
        m_plots->showFigures(nullptr, std::nullopt);
    } else {
        const std::vector<QualityLine> lines = loopLines(*result.figures, m_panel.loopSettings().range);
        for (std::size_t i = 0; i < 11; ++i)
            texts[i] = fromStd(lines[i].value);
        texts[11] = lines.size() > 11 ? fromStd(lines[11].value)
                                      : QStringLiteral("no design target: type a crossover in the Design box");
        m_plots->showFigures(&*result.figures, m_boundarySpurHz);
    }
    for (int i = 0; i < 12; ++i) {
        m_figures[i]->setText(texts[i]);
        // A figure is named by its caption; its value is what is heard.
        m_figures[i]->setAccessibleDescription(texts[i]);
    }
}

void LoopFilterWindow::design()
{
    const std::optional<LoopSettings> loop = readBoxes();
    if (!loop)
        return;
    if (!loop->target) {
        setRoleColour(m_boxes[Crossover], QPalette::Base, kRed);
        showState(QStringLiteral("Type the crossover to design for"), true);
        return;
    }
    m_panel.setLoopSettings(*loop);
    const LoopDesignResult result = m_panel.designLoop(*loop->target);
    if (!result.design) {
        m_designResult->setWordWrap(true);
        m_designResult->setText(QStringLiteral("No design: ") + fromStd(result.error));
        setRoleColour(m_designResult, QPalette::WindowText, kRed);
        return;
    }
    const LoopDesign& d = *result.design;
    const LoopFilter& e24 = d.e24;
    const double parts[] = {e24.c1, e24.c2, e24.c3, e24.r2, e24.r3};
    for (int box = C1; box <= R3; ++box)
        m_boxes[box]->setText(parts[box] == 0 ? QString() : fromStd(engineeringText(parts[box], 2)));
    setRoleColour(m_designResult, QPalette::WindowText, kBlack);
    // Two lines of their own rather than wrapped: a wrapped text makes the
    // whole column's height depend on its width, and the window then scrolls
    // for room it does not use.
    m_designResult->setWordWrap(false);
    m_designResult->setText(QStringLiteral("Exact: %1.\nThe E24 parts give %2 and a phase margin of %3 degrees.")
                                .arg(fromStd(loopFilterText(d.exact, kExactPartDigits)).replace(QLatin1Char(','), QStringLiteral(", ")),
                                     fromStd(crossoverText(d.e24Loop.crossoverHz)),
                                     fromStd(formatMask(d.e24Loop.phaseMarginDeg, "0.00"))));
    edited();
}

void LoopFilterWindow::showState(const QString& text, bool problem)
{
    m_state->setText(text);
    // Selectable, the line takes the focus: a screen reader hears it there.
    m_state->setAccessibleDescription(text);
    setRoleColour(m_state, QPalette::WindowText, problem ? kRed : kBlack);
}

void LoopFilterWindow::exportCsv()
{
    if (!m_shown || !m_shown->figures) {
        m_messages.showMessageOver(this, QStringLiteral("There is no curve to export: ") + fromStd(m_shown ? m_shown->error : std::string()) + '.');
        return;
    }
    const QString path = m_files.saveFileName(QStringLiteral("Export CSV"), QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    const LoopFigures& f = *m_shown->figures;
    const QByteArray text = QByteArray::fromStdString(m_plots->currentIndex() == LoopPlots::BodeTab ? bodeCsv(f.bode)
                                                                                                   : noiseCurveCsv(f.curve));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        m_messages.showMessageOver(this, QStringLiteral("The curves were not exported to %1: %2.")
                                             .arg(QDir::toNativeSeparators(path), file.errorString()));
}

void LoopFilterWindow::exportPng()
{
    const QString path = m_files.saveFileName(QStringLiteral("Export PNG"), QStringLiteral("PNG images (*.png);;All files (*)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QPixmap picture = m_plots->currentView()->grab();
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit())
        m_messages.showMessageOver(this, QStringLiteral("The plot was not exported to %1: %2.")
                                             .arg(QDir::toNativeSeparators(path), file.errorString()));
}
