#include "band_map_window.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>

#include <cmath>

#include "band_map_view.h"
#include "band_scan_text.h"
#include "control_panel.h"
#include "file_chooser.h"
#include "frequency_units.h"
#include "message_sink.h"
#include "number_format.h"
#include "number_reader.h"
#include "secondary_window.h"
#include "sweep_points.h"
#include "widget_colours.h"

using namespace vantrel;

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

QString count(std::size_t n) { return QString::number(qulonglong(n)); }

} // namespace

BandMapWindow::BandMapWindow(ControlPanel& panel, MessageSink& messages, FileChooser& files,
                             const std::optional<FrequencyRange>& range, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_panel(panel)
    , m_messages(messages)
    , m_files(files)
{
    setObjectName(QStringLiteral("BandMapWindow"));
    setWindowTitle(QStringLiteral("Band Map"));
    setWindowIcon(panel.windowIcon());
    // The panel's close ends the program; this window never keeps it alive.
    setAttribute(Qt::WA_QuitOnClose, false);
    build(range.value_or(dividerOutputRange(panel.panelSettings().settings.outDivCont)));

    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleDelay);
    connect(&m_idle, &QTimer::timeout, this, &BandMapWindow::scanNow);
    // Every run of the plan follows a change of the controls (a loop
    // bandwidth set runs it too); the idle delay gathers a burst of them.
    connect(&panel, &ControlPanel::chipChecked, this, &BandMapWindow::scheduleScan);
    connect(&panel, &ControlPanel::loopBandwidthChanged, this, &BandMapWindow::scheduleScan);
    for (QLineEdit* box : {m_start, m_stop, m_step})
        connect(box, &QLineEdit::textEdited, this, &BandMapWindow::scheduleScan);
    connect(m_autoSet, &QCheckBox::toggled, this, &BandMapWindow::scheduleScan);
    connect(m_resetZoom, &QPushButton::clicked, m_view, &BandMapView::resetZoom);
    connect(m_exportPng, &QPushButton::clicked, this, &BandMapWindow::exportPng);
    connect(m_exportCsv, &QPushButton::clicked, this, &BandMapWindow::exportCsv);
    connect(m_view, &BandMapView::pointClicked, this, &BandMapWindow::pointClicked);
}

BandMapWindow::~BandMapWindow() = default;

void BandMapWindow::build(const FrequencyRange& range)
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    auto* controls = new QGridLayout;
    const auto box = [this](const char* name, double value, const char* accessible) {
        auto* edit = new QLineEdit(fromStd(plainNumber(value)), this);
        edit->setObjectName(QLatin1String(name));
        edit->setAccessibleName(QLatin1String(accessible));
        edit->setMaximumWidth(110);
        edit->setToolTip(QStringLiteral("MHz, or with a unit: 2.4G, 145.2 MHz, 250k"));
        return edit;
    };
    m_start = box("BandStart", range.startMHz, "Start MHz");
    m_stop = box("BandStop", range.stopMHz, "Stop MHz");
    m_step = box("BandStep", range.stepMHz, "Step MHz");
    const auto label = [](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf8(text));
        l->setBuddy(buddy);
        return l;
    };
    controls->addWidget(label("&Start MHz", m_start), 0, 0);
    controls->addWidget(m_start, 0, 1);
    controls->addWidget(label("S&top MHz", m_stop), 0, 2);
    controls->addWidget(m_stop, 0, 3);
    controls->addWidget(label("St&ep MHz", m_step), 0, 4);
    controls->addWidget(m_step, 0, 5);
    m_autoSet = new QCheckBox(QStringLiteral("&Auto Set >> at each point"));
    m_autoSet->setObjectName(QStringLiteral("AutoSetEach"));
    m_autoSet->setChecked(true);
    m_autoSet->setToolTip(QStringLiteral(
        "Ticked, each point gets the O/P divider \"Auto Set >>\" gives it, as vantrel-ctl sweep --auto-divider "
        "plans its steps; cleared, every point keeps the panel's divider, as the sweep window sends them."));
    controls->addWidget(m_autoSet, 0, 6);
    controls->setColumnStretch(7, 1);
    layout->addLayout(controls);

    m_view = new BandMapView(this);
    m_view->setAccessibleName(QStringLiteral("Band map"));
    m_view->setAccessibleDescription(QStringLiteral(
        "Hover over a point for its plan; click it to put its frequency into Wanted F out; the mouse wheel or a "
        "drag across the plot zooms the frequency axis."));
    layout->addWidget(m_view, 1);

    // A row of its own: beside the buttons, a status of two lines was cut
    // to the buttons' height in a narrow window.
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("BandMapStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_status);
    auto* row = new QHBoxLayout;
    row->addStretch();
    m_resetZoom = new QPushButton(QStringLiteral("&Reset Zoom"));
    m_resetZoom->setObjectName(QStringLiteral("ResetZoom"));
    m_resetZoom->setToolTip(QStringLiteral("Shows the whole range again"));
    m_exportPng = new QPushButton(QStringLiteral("Export &PNG…"));
    m_exportPng->setObjectName(QStringLiteral("ExportPng"));
    m_exportCsv = new QPushButton(QStringLiteral("Export &CSV…"));
    m_exportCsv->setObjectName(QStringLiteral("ExportCsv"));
    m_exportCsv->setToolTip(QStringLiteral("One line per point, as vantrel-plan --scan prints it: ")
                            + QString::fromLatin1(kBandScanColumns));
    for (QPushButton* button : {m_resetZoom, m_exportPng, m_exportCsv})
        row->addWidget(button);
    layout->addLayout(row);
    // "Export &CSV…" has C.
    putInScrollArea(*this, content, QStringLiteral("Cl&ose"), QSize(980, 600));
    closeOnEscape(*this);
    fitWithinScreen(*this);
}

void BandMapWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Hidden, it followed nothing: it shows the panel as it stands now.
    scanNow();
}

void BandMapWindow::scheduleScan()
{
    if (isVisible())
        m_idle.start();
}

std::optional<FrequencyRange> BandMapWindow::readRange()
{
    const std::pair<QLineEdit*, const char*> boxes[] = {
        {m_start, "Start MHz"}, {m_stop, "Stop MHz"}, {m_step, "Step MHz"}};
    double values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const FrequencyReading reading = readFrequency(boxes[i].first->text().toStdString(), FrequencyUnit::MHz);
        if (!reading.value) {
            showStatus(QStringLiteral("%1 \"%2\" %3: give a number, in MHz or with a unit (Hz, kHz, MHz, GHz)")
                           .arg(QLatin1String(boxes[i].second), boxes[i].first->text(), fromStd(reading.error)),
                       true);
            return std::nullopt;
        }
        values[i] = *reading.value;
    }
    return FrequencyRange{values[0], values[1], values[2]};
}

std::optional<double> BandMapWindow::panelOutput() const
{
    const double mhz = readLeadingNumber(m_panel.panelSettings().settings.foutText);
    return std::isfinite(mhz) ? std::optional<double>(mhz) : std::nullopt;
}

void BandMapWindow::scanNow()
{
    m_idle.stop();
    const std::optional<FrequencyRange> range = readRange();
    if (!range)
        return;
    const Settings settings = m_panel.panelSettings().settings;
    ScanInputs inputs{settings, m_autoSet->isChecked(), m_panel.loopBandwidth(), *range};
    inputs.settings.foutText.clear();
    inputs.settings.trackDivider = false;
    if (m_shown && *m_shown == inputs) {
        m_view->showOutput(panelOutput());
        emit mapUpdated();
        return;
    }
    QElapsedTimer timer;
    timer.start();
    Presses presses;
    presses.autoSet = inputs.autoSet;
    BandScan scan = scanBand(*range, settings, presses, inputs.loop);
    if (!scan.ok()) {
        // The map keeps what it showed, said to be of the range before.
        showStatus(fromStd(scan.error)
                       + (m_shown ? QStringLiteral("; the map still shows %1 to %2 MHz")
                                        .arg(fromStd(plainNumber(m_shown->range.startMHz)),
                                             fromStd(plainNumber(m_shown->range.stopMHz)))
                                  : QString()),
                   true);
        return;
    }
    const double scannedMs = double(timer.nsecsElapsed()) / 1e6;
    const BandScanCounts counts = countPoints(scan);
    m_view->showScan(std::move(scan), inputs.loop);
    m_view->showOutput(panelOutput());
    m_shown = inputs;
    showStatus(QStringLiteral("%1 points: %2 within the chip's limits, %3 breaking a limit, %4 stopped; "
                              "planned in %5 ms")
                   .arg(count(counts.within + counts.broken + counts.stopped), count(counts.within),
                        count(counts.broken), count(counts.stopped), fromStd(formatMask(scannedMs, "0.0"))),
               false);
    emit mapUpdated();
}

void BandMapWindow::pointClicked(std::size_t index)
{
    const BandPoint& point = m_view->scan().points.at(index);
    const QString text = fromStd(frequencyText(point.foutMHz));
    if (!m_panel.setWantedOutput(text, m_shown && m_shown->autoSet, QStringLiteral("Band Map Click")))
        showStatus(QStringLiteral("The board's stored register set is being read back (INIT from EE): Wanted F "
                                  "out stays as it is; click again once it has arrived."),
                   true);
}

void BandMapWindow::showStatus(const QString& text, bool problem)
{
    m_status->setText(text);
    setRoleColour(m_status, QPalette::WindowText, problem ? kRed : kBlack);
}

void BandMapWindow::exportCsv()
{
    const QString path = m_files.saveFileName(QStringLiteral("Export CSV"), QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray text = QByteArray::fromStdString(bandScanCsv(m_view->scan()));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        m_messages.showMessageOver(this, QStringLiteral("The band map was not exported to %1: %2.")
                                             .arg(QDir::toNativeSeparators(path), file.errorString()));
}

void BandMapWindow::exportPng()
{
    const QString path = m_files.saveFileName(QStringLiteral("Export PNG"), QStringLiteral("PNG images (*.png);;All files (*)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QPixmap picture = m_view->grab();
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit())
        m_messages.showMessageOver(this, QStringLiteral("The band map was not exported to %1: %2.")
                                             .arg(QDir::toNativeSeparators(path), file.errorString()));
}
