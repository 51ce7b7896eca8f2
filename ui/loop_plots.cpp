#include "loop_plots.h"

#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace vantrel;

namespace {

const QColor kPllColour(0, 90, 200);
const QColor kVcoColour(200, 90, 0);
const QColor kTotalColour(Qt::black);
const QColor kCrossoverColour(0, 150, 0);
const QColor kSpurColour(200, 0, 0);

QLineSeries* series(QChart* chart, const char* objectName, const QString& name, const QPen& pen)
{
    auto* s = new QLineSeries;
    s->setObjectName(QLatin1String(objectName));
    s->setName(name);
    s->setPen(pen);
    chart->addSeries(s);
    return s;
}

QLogValueAxis* offsetAxis(const QString& title)
{
    auto* axis = new QLogValueAxis;
    axis->setBase(10);
    axis->setLabelFormat(QStringLiteral("%g"));
    axis->setTitleText(title);
    axis->setMinorTickCount(8);
    axis->setRange(kNoiseCurveStartHz, kNoiseCurveStopHz);
    return axis;
}

void attach(QChart* chart, QLineSeries* s, QAbstractAxis* x, QAbstractAxis* y)
{
    Q_UNUSED(chart);
    s->attachAxis(x);
    s->attachAxis(y);
}

// Whole tens of dB around the values, one ten at least.
std::pair<double, double> tensAround(double low, double high)
{
    const double bottom = std::floor(low / 10) * 10;
    return {bottom, std::max(std::ceil(high / 10) * 10, bottom + 10)};
}

} // namespace

LoopPlots::LoopPlots(QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("LoopPlots"));
    auto* noise = new QChart;
    noise->setTitle(QStringLiteral("Phase noise at the output"));
    m_pll = series(noise, "PllNoise", QStringLiteral("PLL"), QPen(kPllColour, 1.5));
    m_vco = series(noise, "VcoNoise", QStringLiteral("VCO"), QPen(kVcoColour, 1.5));
    m_total = series(noise, "TotalNoise", QStringLiteral("Total"), QPen(kTotalColour, 2));
    m_crossover = series(noise, "CrossoverMarker", QStringLiteral("Crossover"), QPen(kCrossoverColour, 1, Qt::DashLine));
    m_spur = series(noise, "BoundarySpurMarker", QStringLiteral("Boundary spur"), QPen(kSpurColour, 1, Qt::DotLine));
    m_noiseOffset = offsetAxis(QStringLiteral("Offset, Hz"));
    m_noiseLevel = new QValueAxis;
    m_noiseLevel->setTitleText(QStringLiteral("dBc/Hz"));
    m_noiseLevel->setLabelFormat(QStringLiteral("%.0f"));
    m_noiseLevel->setTickType(QValueAxis::TicksDynamic);
    m_noiseLevel->setTickAnchor(0);
    m_noiseLevel->setTickInterval(10);
    noise->addAxis(m_noiseOffset, Qt::AlignBottom);
    noise->addAxis(m_noiseLevel, Qt::AlignLeft);
    for (QLineSeries* s : {m_pll, m_vco, m_total, m_crossover, m_spur})
        attach(noise, s, m_noiseOffset, m_noiseLevel);
    m_noiseView = new QChartView(noise);
    m_noiseView->setObjectName(QStringLiteral("NoiseChart"));
    m_noiseView->setRenderHint(QPainter::Antialiasing);
    m_noiseView->setAccessibleName(QStringLiteral("Phase noise plot"));
    addTab(m_noiseView, QStringLiteral("&Noise"));

    auto* bode = new QChart;
    bode->setTitle(QStringLiteral("Open loop"));
    m_gain = series(bode, "GainCurve", QStringLiteral("Gain, dB"), QPen(kPllColour, 2));
    m_bodeCrossover = series(bode, "BodeCrossoverMarker", QStringLiteral("Crossover"), QPen(kCrossoverColour, 1, Qt::DashLine));
    m_phase = series(bode, "PhaseCurve", QStringLiteral("Phase, degrees"), QPen(kVcoColour, 2));
    m_bodeOffset = offsetAxis(QStringLiteral("Frequency, Hz"));
    m_gainAxis = new QValueAxis;
    m_gainAxis->setTitleText(QStringLiteral("Gain, dB"));
    m_gainAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_gainAxis->setTickType(QValueAxis::TicksDynamic);
    m_gainAxis->setTickAnchor(0);
    m_phaseAxis = new QValueAxis;
    m_phaseAxis->setTitleText(QStringLiteral("Phase, degrees"));
    m_phaseAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_phaseAxis->setRange(-270, -90);
    m_phaseAxis->setTickCount(7);
    bode->addAxis(m_bodeOffset, Qt::AlignBottom);
    bode->addAxis(m_gainAxis, Qt::AlignLeft);
    bode->addAxis(m_phaseAxis, Qt::AlignRight);
    attach(bode, m_gain, m_bodeOffset, m_gainAxis);
    attach(bode, m_bodeCrossover, m_bodeOffset, m_gainAxis);
    attach(bode, m_phase, m_bodeOffset, m_phaseAxis);
    m_bodeView = new QChartView(bode);
    m_bodeView->setObjectName(QStringLiteral("BodeChart"));
    m_bodeView->setRenderHint(QPainter::Antialiasing);
    m_bodeView->setAccessibleName(QStringLiteral("Open-loop gain and phase plot"));
    addTab(m_bodeView, QStringLiteral("&Bode"));
}

QChartView* LoopPlots::currentView() const { return currentIndex() == BodeTab ? m_bodeView : m_noiseView; }

void LoopPlots::showFigures(const LoopFigures* f, std::optional<double> boundarySpurHz)
{
    for (QLineSeries* s : {m_pll, m_vco, m_total, m_crossover, m_spur, m_gain, m_phase, m_bodeCrossover})
        s->clear();
    if (!f)
        return;
    QList<QPointF> pll, vco, total, gain, phase;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const NoisePoint& p : f->curve) {
        pll << QPointF(p.offsetHz, p.pllDbcHz);
        vco << QPointF(p.offsetHz, p.vcoDbcHz);
        total << QPointF(p.offsetHz, p.totalDbcHz);
        low = std::min({low, p.pllDbcHz, p.vcoDbcHz});
        high = std::max({high, p.pllDbcHz, p.vcoDbcHz});
    }
    // A curve far below the total says nothing: the axis reaches 80 dB
    // under the highest point at most.
    const auto [bottom, top] = tensAround(std::max(low, high - 80), high);
    m_noiseLevel->setTickInterval(top - bottom > 60 ? 20 : 10);
    m_noiseLevel->setRange(bottom, top);
    m_pll->replace(pll);
    m_vco->replace(vco);
    m_total->replace(total);
    const double fc = f->loop.crossoverHz;
    const auto marker = [](QLineSeries* s, double hz, double from, double to) {
        if (hz >= kNoiseCurveStartHz && hz <= kNoiseCurveStopHz)
            s->replace({QPointF(hz, from), QPointF(hz, to)});
    };
    marker(m_crossover, fc, bottom, top);
    if (boundarySpurHz)
        marker(m_spur, *boundarySpurHz, bottom, top);

    double gainLow = std::numeric_limits<double>::infinity();
    double gainHigh = -gainLow;
    for (const BodePoint& p : f->bode) {
        gain << QPointF(p.hz, p.gainDb);
        phase << QPointF(p.hz, p.phaseDeg);
        gainLow = std::min(gainLow, p.gainDb);
        gainHigh = std::max(gainHigh, p.gainDb);
    }
    const auto [gainBottom, gainTop] = tensAround(gainLow, gainHigh);
    m_gainAxis->setTickInterval(gainTop - gainBottom > 100 ? 40 : 20);
    m_gainAxis->setRange(gainBottom, gainTop);
    m_gain->replace(gain);
    m_phase->replace(phase);
    marker(m_bodeCrossover, fc, gainBottom, gainTop);
}
