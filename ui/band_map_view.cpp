#include "band_map_view.h"

#include <QtCharts/QAreaSeries>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>

#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QRubberBand>
#include <QToolTip>
#include <QWheelEvent>
#include <QGraphicsLayout>

#include <algorithm>
#include <cmath>
#include <limits>

#include "band_map_plot.h"
#include "band_scan_text.h"
#include "number_format.h"

using namespace vantrel;

namespace {

// Qt Charts draws a line series's points with this radius, in pixels.
constexpr double kMarkerRadius = 2.5;
constexpr int kCell = 2;       // pixels a side: the square in which one point is drawn
// The most points the loop filter's crossover line is drawn through.
constexpr qsizetype kMaxCrossoverPoints = 2000;
const QColor kOffsetColour(31, 95, 191);
const QColor kNoiseColour(217, 115, 13);
const QColor kLoopColour(0, 128, 64);
const QColor kBrokenShade(220, 0, 0, 60);
const QColor kStoppedShade(80, 80, 80, 80);

// Points without a line between them. A scatter series keeps a graphics
// item for every point, which for 100,000 points takes a minute and 200 MB;
// a line series paints its points itself, so its line is left out. (A light
// marker, a stamped image, would paint faster but keeps more per point.)
QLineSeries* dots(const QString& name, const QColor& colour)
{
    auto* series = new QLineSeries;
    series->setName(name);
    series->setPen(QPen(colour, 0, Qt::NoPen));
    series->setColor(colour);
    series->setMarkerSize(kMarkerRadius);
    series->setPointsVisible(true);
    return series;
}

QAreaSeries* shade(const QString& name, const QColor& colour, QLineSeries* upper, QLineSeries* lower)
{
    auto* area = new QAreaSeries(upper, lower);
    area->setName(name);
    area->setPen(Qt::NoPen);
    area->setBrush(colour);
    return area;
}

// A tick interval of 1, 2 or 5 times a power of ten giving about six ticks.
double niceInterval(double span)
{
    const double rough = span / 6;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double step : {1.0, 2.0, 5.0}) {
        if (rough <= step * power)
            return step * power;
    }
    return 10 * power;
}

} // namespace

BandMapView::BandMapView(QWidget* parent)
    : QChartView(new QChart, parent)
{
    setObjectName(QStringLiteral("BandMapView"));
    setRubberBand(QChartView::HorizontalRubberBand);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setMinimumSize(480, 320);

    QChart* c = chart();
    c->legend()->setAlignment(Qt::AlignBottom);
    c->setBackgroundRoundness(0);

    m_frequency = new QValueAxis;
    m_frequency->setObjectName(QStringLiteral("FrequencyAxis"));
    m_frequency->setTitleText(QStringLiteral("Output MHz"));
    m_frequency->setLabelFormat(QStringLiteral("%.8g"));
    m_frequency->setTickType(QValueAxis::TicksDynamic);
    m_frequency->setTickAnchor(0);
    m_offsetAxis = new QLogValueAxis;
    m_offsetAxis->setObjectName(QStringLiteral("OffsetAxis"));
    m_offsetAxis->setTitleText(QStringLiteral("Integer-boundary spur offset, kHz"));
    m_offsetAxis->setBase(10);
    m_offsetAxis->setLabelFormat(QStringLiteral("%g"));
    m_offsetAxis->setLabelsColor(kOffsetColour);
    m_noiseAxis = new QValueAxis;
    m_noiseAxis->setObjectName(QStringLiteral("NoiseAxis"));
    m_noiseAxis->setTitleText(QStringLiteral("In-band noise at 10 kHz, dBc/Hz"));
    m_noiseAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_noiseAxis->setLabelsColor(kNoiseColour);
    m_noiseAxis->setGridLineVisible(false);
    m_noiseAxis->setTickType(QValueAxis::TicksDynamic);
    m_noiseAxis->setTickAnchor(0);
    c->addAxis(m_frequency, Qt::AlignBottom);
    c->addAxis(m_offsetAxis, Qt::AlignLeft);
    c->addAxis(m_noiseAxis, Qt::AlignRight);

    m_brokenUpper = new QLineSeries(this);
    m_brokenLower = new QLineSeries(this);
    m_stoppedUpper = new QLineSeries(this);
    m_stoppedLower = new QLineSeries(this);
    m_broken = shade(QStringLiteral("Chip limit broken"), kBrokenShade, m_brokenUpper, m_brokenLower);
    m_stopped = shade(QStringLiteral("Plan stopped"), kStoppedShade, m_stoppedUpper, m_stoppedLower);
    m_offsets = dots(QStringLiteral("Boundary spur offset"), kOffsetColour);
    m_noise = dots(QStringLiteral("In-band noise"), kNoiseColour);
    m_loopLine = new QLineSeries;
    m_loopLine->setName(QStringLiteral("Loop bandwidth"));
    m_loopLine->setPen(QPen(kLoopColour, 2, Qt::DashLine));
    m_outputLine = new QLineSeries;
    m_outputLine->setName(QStringLiteral("Panel's output"));
    m_outputLine->setPen(QPen(Qt::black, 1, Qt::DotLine));
    m_broken->setObjectName(QStringLiteral("BrokenShade"));
    m_brokenUpper->setObjectName(QStringLiteral("BrokenShadeTop"));
    m_stopped->setObjectName(QStringLiteral("StoppedShade"));
    m_stoppedUpper->setObjectName(QStringLiteral("StoppedShadeTop"));
    m_offsets->setObjectName(QStringLiteral("OffsetPoints"));
    m_noise->setObjectName(QStringLiteral("NoisePoints"));
    m_loopLine->setObjectName(QStringLiteral("LoopBandwidthLine"));
    m_outputLine->setObjectName(QStringLiteral("OutputLine"));
    // Shades first, so that the points and lines are drawn over them.
    for (QAbstractSeries* series : std::initializer_list<QAbstractSeries*>{m_broken, m_stopped, m_offsets, m_noise,
                                                                          m_loopLine, m_outputLine}) {
        c->addSeries(series);
        series->attachAxis(m_frequency);
        const bool offset = series == m_offsets || series == m_loopLine;
        series->attachAxis(offset ? static_cast<QAbstractAxis*>(m_offsetAxis) : m_noiseAxis);
    }
    // A zoom by the rubber band sets the range itself; the ticks and the
    // points drawn follow, as they follow a new size of the plot.
    connect(m_frequency, &QValueAxis::rangeChanged, this, [this](double low, double high) {
        m_frequency->setTickInterval(niceInterval(high - low));
        drawPoints();
    });
    connect(chart(), &QChart::plotAreaChanged, this, &BandMapView::drawPoints);
    fitValueAxes({});
    resetZoom();
}

BandMapView::~BandMapView() = default;

void BandMapView::showScan(BandScan scan, const LoopBandwidth& loop)
{
    const bool sameRange = !m_scan.points.empty() && scan.range == m_scan.range;
    const double low = m_frequency->min();
    const double high = m_frequency->max();
    m_scan = std::move(scan);
    findRuns();
    fitValueAxes(loop);
    const auto [fullLow, fullHigh] = fullSpan();
    if (const std::optional<std::pair<double, double>> span = crossoverSpan(); loop.fromFilter() && span) {
        // Each plan's own crossover, in rising frequency.
        QList<QPointF> crossovers;
        for (const BandPoint& point : m_scan.points) {
            if (point.quality && point.quality->crossoverKHz)
                crossovers << QPointF(point.foutMHz, *point.quality->crossoverKHz);
        }
        std::sort(crossovers.begin(), crossovers.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
        // The crossover moves smoothly with N: a line through every point of
        // a 100,000-point band would only cost drawing time.
        if (crossovers.size() > kMaxCrossoverPoints) {
            QList<QPointF> thinned;
            const qsizetype stride = (crossovers.size() + kMaxCrossoverPoints - 1) / kMaxCrossoverPoints;
            for (qsizetype i = 0; i < crossovers.size(); i += stride)
                thinned << crossovers[i];
            if (thinned.isEmpty() || thinned.back() != crossovers.back())
                thinned << crossovers.back();
            crossovers = std::move(thinned);
        }
        m_loopLine->setName(QStringLiteral("Loop bandwidth from the loop filter, %1 to %2 kHz")
                                .arg(QString::fromStdString(formatMask(span->first, "#0.0")),
                                     QString::fromStdString(formatMask(span->second, "#0.0"))));
        m_loopLine->replace(crossovers);
    } else {
        m_loopLine->setName(QStringLiteral("Loop bandwidth %1 kHz%2")
                                .arg(QString::fromStdString(plainNumber(loop.kHz())),
                                     loop.assumed() ? QStringLiteral(" (assumed)") : QString()));
        m_loopLine->replace({QPointF(fullLow, loop.kHz()), QPointF(fullHigh, loop.kHz())});
    }
    // The legend's label is set as well: it does not follow a new name at once.
    for (QLegendMarker* marker : chart()->legend()->markers(m_loopLine))
        marker->setLabel(m_loopLine->name());
    {
        // Drawn once, below, for the new range and points together.
        const QScopedValueRollback<bool> holding(m_drawing, true);
        if (sameRange)
            setFrequencyRange(low, high);
        else
            resetZoom();
    }
    drawPoints();
    // The legend lays its labels out anew at once, not at the next event:
    // a picture taken now shows the new ones.
    if (QGraphicsLayout* legend = chart()->legend()->layout())
        legend->activate();
}

std::optional<std::pair<double, double>> BandMapView::crossoverSpan() const
{
    std::optional<std::pair<double, double>> span;
    for (const BandPoint& point : m_scan.points) {
        if (!point.quality || !point.quality->crossoverKHz)
            continue;
        const double kHz = *point.quality->crossoverKHz;
        span = span ? std::pair(std::min(span->first, kHz), std::max(span->second, kHz)) : std::pair(kHz, kHz);
    }
    return span;
}

void BandMapView::fitValueAxes(const LoopBandwidth& loop)
{
    const std::optional<std::pair<double, double>> crossovers = loop.fromFilter() ? crossoverSpan() : std::nullopt;
    double lowOffset = crossovers ? crossovers->first : loop.kHz();
    double highOffset = crossovers ? crossovers->second : loop.kHz();
    double lowNoise = std::numeric_limits<double>::infinity();
    double highNoise = -lowNoise;
    for (const BandPoint& point : m_scan.points) {
        if (!point.quality)
            continue;
        lowNoise = std::min(lowNoise, point.quality->inBand10kHzDbcHz);
        highNoise = std::max(highNoise, point.quality->inBand10kHzDbcHz);
        if (const std::optional<double> offset = point.quality->boundarySpurOffset(); offset && *offset > 0) {
            lowOffset = std::min(lowOffset, *offset);
            highOffset = std::max(highOffset, *offset);
        }
    }
    // Whole decades, so that the logarithmic axis labels its powers of ten.
    const double lowDecade = std::floor(std::log10(lowOffset));
    const double highDecade = std::max(std::ceil(std::log10(highOffset)), lowDecade + 1);
    m_offsetAxis->setRange(std::pow(10.0, lowDecade), std::pow(10.0, highDecade));
    if (!(lowNoise <= highNoise)) { // no complete plan: an axis of the usual figures
        lowNoise = -130;
        highNoise = -70;
    }
    // Whole tens of dB, one at least.
    const double bottom = std::floor(lowNoise / 10) * 10;
    const double top = std::max(std::ceil(highNoise / 10) * 10, bottom + 10);
    m_noiseAxis->setTickInterval(niceInterval(top - bottom));
    m_noiseAxis->setRange(bottom, top);
}

void BandMapView::findRuns()
{
    // Each run of neighbours of a kind is one band, half a step either side
    // of its points, in rising frequency whichever way the range was stepped.
    m_brokenRuns.clear();
    m_stoppedRuns.clear();
    const double half = std::abs(m_scan.range.stepMHz) / 2;
    const bool rising = m_scan.range.stepMHz > 0;
    const std::size_t count = m_scan.points.size();
    const auto extend = [half](std::vector<std::pair<double, double>>& runs, bool continues, double mhz) {
        if (continues)
            runs.back().second = mhz + half;
        else
            runs.emplace_back(mhz - half, mhz + half);
    };
    int previous = 0; // 0 within limits, 1 broken, 2 stopped
    for (std::size_t i = 0; i < count; ++i) {
        const BandPoint& point = m_scan.points[rising ? i : count - 1 - i];
        const int kind = !point.complete() ? 2 : point.limits.empty() ? 0 : 1;
        if (kind != 0)
            extend(kind == 1 ? m_brokenRuns : m_stoppedRuns, kind == previous, point.foutMHz);
        previous = kind;
    }
}

void BandMapView::drawPoints()
{
    if (m_drawing)
        return;
    const QScopedValueRollback<bool> drawing(m_drawing, true);
    // One point in a square of kCell pixels: a dot of 5 pixels drawn a
    // pixel from another adds nothing. Before the plot is laid out its size
    // is not known: a screen's worth.
    const QRectF area = chart()->plotArea();
    const bool laidOut = area.width() >= 1 && area.height() >= 1;
    PlotFrame frame;
    frame.xLow = m_frequency->min();
    frame.xHigh = m_frequency->max();
    frame.width = int(std::ceil((laidOut ? area.width() : 1920) / kCell));
    frame.height = int(std::ceil((laidOut ? area.height() : 1080) / kCell));
    PlotFrame offsetFrame = frame;
    offsetFrame.yLow = m_offsetAxis->min();
    offsetFrame.yHigh = m_offsetAxis->max();
    offsetFrame.logY = true;
    PlotFrame noiseFrame = frame;
    noiseFrame.yLow = m_noiseAxis->min();
    noiseFrame.yHigh = m_noiseAxis->max();
    PixelThinner offsets(offsetFrame);
    PixelThinner noise(noiseFrame);
    for (const BandPoint& point : m_scan.points) {
        if (!point.quality)
            continue;
        noise.add(QPointF(point.foutMHz, point.quality->inBand10kHzDbcHz));
        if (const std::optional<double> offset = point.quality->boundarySpurOffset())
            offsets.add(QPointF(point.foutMHz, *offset));
    }
    m_offsets->replace(offsets.take());
    m_noise->replace(noise.take());

    const auto [low, high] = fullSpan();
    const double bottom = m_noiseAxis->min();
    const double top = m_noiseAxis->max();
    const double pixel = (frame.xHigh - frame.xLow) / (frame.width * kCell);
    const QList<QPointF> floor{QPointF(low, bottom), QPointF(high, bottom)};
    m_brokenUpper->replace(bandOutline(m_brokenRuns, low, high, bottom, top, pixel));
    m_brokenLower->replace(floor);
    m_stoppedUpper->replace(bandOutline(m_stoppedRuns, low, high, bottom, top, pixel));
    m_stoppedLower->replace(floor);
    placeOutputLine();
}

std::pair<double, double> BandMapView::fullSpan() const
{
    if (m_scan.points.empty())
        return {0, 1};
    const double first = m_scan.points.front().foutMHz;
    const double last = m_scan.points.back().foutMHz;
    const double half = std::abs(m_scan.range.stepMHz) / 2;
    return {std::min(first, last) - half, std::max(first, last) + half};
}

void BandMapView::showOutput(std::optional<double> mhz)
{
    m_output = mhz;
    placeOutputLine();
}

void BandMapView::placeOutputLine()
{
    if (!m_output || !std::isfinite(*m_output)) {
        m_outputLine->clear();
        return;
    }
    m_outputLine->replace({QPointF(*m_output, m_noiseAxis->min()), QPointF(*m_output, m_noiseAxis->max())});
}

void BandMapView::setFrequencyRange(double low, double high)
{
    // The interval before the range, so that the axis is laid out once, with both.
    m_frequency->setTickInterval(niceInterval(high - low));
    m_frequency->setRange(low, high);
}

void BandMapView::resetZoom()
{
    const auto [low, high] = fullSpan();
    setFrequencyRange(low, high);
}

bool BandMapView::isZoomed() const
{
    const auto [low, high] = fullSpan();
    return m_frequency->min() != low || m_frequency->max() != high;
}

QPointF BandMapView::noisePosition(double mhz, double dbcHz) const
{
    return mapFromScene(chart()->mapToScene(chart()->mapToPosition(QPointF(mhz, dbcHz), m_noise)));
}

QPointF BandMapView::offsetPosition(double mhz, double kHz) const
{
    return mapFromScene(chart()->mapToScene(chart()->mapToPosition(QPointF(mhz, kHz), m_offsets)));
}

std::optional<std::size_t> BandMapView::pointAt(const QPoint& at) const
{
    const QPointF inChart = chart()->mapFromScene(mapToScene(at));
    if (!chart()->plotArea().contains(inChart) || m_scan.points.empty())
        return std::nullopt;
    const double mhz = chart()->mapToValue(inChart, m_noise).x();
    const double x0 = chart()->mapToPosition(QPointF(0, 0), m_noise).x();
    const double pixelsPerMHz = std::abs(chart()->mapToPosition(QPointF(1, 0), m_noise).x() - x0);
    const double step = m_scan.range.stepMHz;
    // The points within half a step or kClickSlack pixels of the pointer's
    // frequency: many where a pixel holds many points.
    const double reachMHz = std::max(std::abs(step) / 2, kClickSlack / pixelsPerMHz);
    const std::optional<std::size_t> nearest = nearestPoint(m_scan, mhz);
    if (!nearest || std::abs(m_scan.points[*nearest].foutMHz - mhz) > reachMHz)
        return std::nullopt;
    const auto indexAt = [this, step](double f) {
        const double last = double(m_scan.points.size() - 1);
        return static_cast<std::size_t>(std::clamp(std::round((f - m_scan.range.startMHz) / step), 0.0, last));
    };
    std::size_t first = indexAt(mhz - reachMHz);
    std::size_t last = indexAt(mhz + reachMHz);
    if (first > last)
        std::swap(first, last);
    // Of those, the one with a dot nearest the pointer, in both axes: at a
    // hundred points a pixel, the one drawn there, not the one whose
    // frequency is nearest. Away from every dot (a stopped plan has none,
    // its shade spans the plot), the nearest in frequency.
    std::optional<std::size_t> best;
    double bestDistance = 2 * kClickSlack;
    for (std::size_t i = first; i <= last; ++i) {
        const BandPoint& point = m_scan.points[i];
        const double dx = (point.foutMHz - mhz) * pixelsPerMHz;
        if (!point.quality || std::abs(dx) > reachMHz * pixelsPerMHz)
            continue;
        const auto distanceTo = [&](double value, QAbstractSeries* series) {
            return std::abs(chart()->mapToPosition(QPointF(point.foutMHz, value), series).y() - inChart.y());
        };
        double dy = distanceTo(point.quality->inBand10kHzDbcHz, m_noise);
        if (const std::optional<double> offset = point.quality->boundarySpurOffset(); offset && *offset > 0)
            dy = std::min(dy, distanceTo(*offset, m_offsets));
        if (const double distance = std::hypot(dx, dy); distance <= bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best ? best : nearest;
}

void BandMapView::showTipAt(const QPoint& at)
{
    if (const std::optional<std::size_t> index = pointAt(at))
        QToolTip::showText(mapToGlobal(at), QString::fromStdString(bandPointTip(m_scan.points[*index])), this);
    else
        QToolTip::hideText();
}

bool BandMapView::viewportEvent(QEvent* event)
{
    // The pointer at rest asks the chart's scene for a tip, and the scene,
    // having none, would hide the point's: the point's tip is the answer.
    if (event->type() == QEvent::ToolTip) {
        showTipAt(static_cast<QHelpEvent*>(event)->pos());
        return true;
    }
    return QChartView::viewportEvent(event);
}

void BandMapView::mousePressEvent(QMouseEvent* event)
{
    // The chart's own right click zooms every axis out; here only the
    // frequency axis zooms, and Reset Zoom goes back.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton)
        m_pressedAt = event->position().toPoint();
    QToolTip::hideText();
    QChartView::mousePressEvent(event);
}

void BandMapView::mouseMoveEvent(QMouseEvent* event)
{
    QChartView::mouseMoveEvent(event);
    if (event->buttons() != Qt::NoButton)
        return;
    showTipAt(event->position().toPoint());
}

void BandMapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_pressedAt) {
        const QPoint from = *m_pressedAt;
        m_pressedAt.reset();
        if ((at - from).manhattanLength() <= kClickSlack) {
            // A click, not a drag: no zoom into a sliver of the axis.
            if (auto* band = findChild<QRubberBand*>())
                band->hide();
            event->accept();
            if (const std::optional<std::size_t> index = pointAt(at))
                emit pointClicked(*index);
            return;
        }
    }
    // The band spans the plot's height, so only the frequency axis should
    // move; the value axes are put back exactly, against rounding.
    const double offsetLow = m_offsetAxis->min();
    const double offsetHigh = m_offsetAxis->max();
    const double noiseLow = m_noiseAxis->min();
    const double noiseHigh = m_noiseAxis->max();
    QChartView::mouseReleaseEvent(event);
    m_offsetAxis->setRange(offsetLow, offsetHigh);
    m_noiseAxis->setRange(noiseLow, noiseHigh);
}

void BandMapView::wheelEvent(QWheelEvent* event)
{
    const QPointF inChart = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    const double notches = event->angleDelta().y() / 120.0;
    if (!chart()->plotArea().contains(inChart) || notches == 0 || m_scan.points.empty()) {
        event->ignore();
        return;
    }
    event->accept();
    // Forward zooms in about the frequency under the pointer, which stays put.
    const double factor = std::pow(0.8, notches);
    const double at = chart()->mapToValue(inChart, m_noise).x();
    const auto [fullLow, fullHigh] = fullSpan();
    double low = at - (at - m_frequency->min()) * factor;
    double high = at + (m_frequency->max() - at) * factor;
    // No narrower than two steps, no wider than the whole range.
    const double narrowest = 2 * std::abs(m_scan.range.stepMHz);
    if (high - low < narrowest) {
        low = at - narrowest / 2;
        high = at + narrowest / 2;
    }
    if (high - low >= fullHigh - fullLow) {
        resetZoom();
        return;
    }
    const double shift = std::max(fullLow - low, 0.0) - std::max(high - fullHigh, 0.0);
    setFrequencyRange(low + shift, high + shift);
}
