// The band map's plot, on Qt Charts: x the output frequency; on a
// logarithmic axis the integer-boundary spur offset of each point with the
// loop bandwidth as a line; on a second axis the in-band noise at 10 kHz;
// the points that break a chip limit, and those whose plan stopped, shaded
// in colours of their own; the panel's output as a vertical line.
//
// The mouse: hovering shows the plan of the point drawn nearest the pointer
// in a tool tip, kept while the pointer rests; a click picks that point,
// the wheel zooms the frequency axis about the cursor and a drag across
// the plot zooms into the span dragged. The zoom is of the
// frequency axis only, and survives a new scan of the same range.
#pragma once

#include <QtCharts/QChartView>

#include <optional>
#include <utility>
#include <vector>

#include "band_scan.h"
#include "plan_quality.h"

class QAreaSeries;
class QLineSeries;
class QLogValueAxis;
class QValueAxis;

class BandMapView : public QChartView {
    Q_OBJECT
public:
    // How close to a point the pointer must be, in pixels, beyond half a
    // step, for a click to pick it.
    static constexpr int kClickSlack = 4;

    explicit BandMapView(QWidget* parent = nullptr);
    ~BandMapView() override;

    // Draws `scan`; a scan of the same range as the one drawn keeps the
    // frequency axis as it is (zoomed or not), another range shows whole.
    void showScan(vantrel::BandScan scan, const vantrel::LoopBandwidth& loop);
    const vantrel::BandScan& scan() const { return m_scan; }
    // The panel's output, as a vertical line; none hides it.
    void showOutput(std::optional<double> mhz);

    // The frequency axis back to the whole range.
    void resetZoom();
    bool isZoomed() const;
    QValueAxis* frequencyAxis() const { return m_frequency; }

    // Where a value stands in the view's coordinates, against the noise or the offset axis.
    QPointF noisePosition(double mhz, double dbcHz) const;
    QPointF offsetPosition(double mhz, double kHz) const;
    // The point under the view position `at`: of the points within half a
    // step or kClickSlack pixels of its frequency, the one with a dot
    // nearest to it (within 2 kClickSlack pixels), else the nearest in
    // frequency; none off the plot.
    std::optional<std::size_t> pointAt(const QPoint& at) const;

signals:
    // A click on the plot, at the point `index` of the scan.
    void pointClicked(std::size_t index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // The tip of the point under `at`, or none.
    void showTipAt(const QPoint& at);
    void findRuns();
    void fitValueAxes(const vantrel::LoopBandwidth& loop);
    // The lowest and highest crossover of the loop filter over the scan's
    // points; nothing when no point has one.
    std::optional<std::pair<double, double>> crossoverSpan() const;
    // The points and shades for the frequency range and plot size as they
    // are, one point per pixel.
    void drawPoints();
    // The full frequency span of the scan, with half a step beyond either end.
    std::pair<double, double> fullSpan() const;
    void setFrequencyRange(double low, double high);
    void placeOutputLine();

    vantrel::BandScan m_scan;
    std::optional<double> m_output;
    std::optional<QPoint> m_pressedAt; // a left press that may still be a click
    // The bands to shade, from..to MHz in rising frequency.
    std::vector<std::pair<double, double>> m_brokenRuns;
    std::vector<std::pair<double, double>> m_stoppedRuns;
    bool m_drawing = false; // drawPoints under way, or held until the range is set

    QValueAxis* m_frequency = nullptr;
    QLogValueAxis* m_offsetAxis = nullptr;
    QValueAxis* m_noiseAxis = nullptr;
    QLineSeries* m_offsets = nullptr;
    QLineSeries* m_noise = nullptr;
    QLineSeries* m_loopLine = nullptr;
    QLineSeries* m_outputLine = nullptr;
    QAreaSeries* m_broken = nullptr;
    QAreaSeries* m_stopped = nullptr;
    QLineSeries* m_brokenUpper = nullptr;
    QLineSeries* m_brokenLower = nullptr;
    QLineSeries* m_stoppedUpper = nullptr;
    QLineSeries* m_stoppedLower = nullptr;
};
