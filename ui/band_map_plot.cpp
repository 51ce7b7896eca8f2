#include "band_map_plot.h"

#include <algorithm>
#include <cmath>

PixelThinner::PixelThinner(const PlotFrame& frame)
    : m_frame(frame)
    , m_yLow(frame.logY ? std::log10(frame.yLow) : frame.yLow)
    , m_yHigh(frame.logY ? std::log10(frame.yHigh) : frame.yHigh)
    , m_taken(std::size_t(frame.width) * std::size_t(frame.height), false)
{
}

void PixelThinner::add(const QPointF& point)
{
    if (!(point.x() >= m_frame.xLow && point.x() <= m_frame.xHigh) || (m_frame.logY && !(point.y() > 0)))
        return;
    const double y = m_frame.logY ? std::log10(point.y()) : point.y();
    const auto cell = [](double value, double low, double high, int pixels) {
        const double at = std::floor((value - low) / (high - low) * pixels);
        return static_cast<std::size_t>(std::clamp(at, 0.0, double(pixels - 1)));
    };
    const std::size_t column = cell(point.x(), m_frame.xLow, m_frame.xHigh, m_frame.width);
    const std::size_t row = cell(y, m_yLow, m_yHigh, m_frame.height);
    const std::size_t index = row * std::size_t(m_frame.width) + column;
    if (m_taken[index])
        return;
    m_taken[index] = true;
    m_kept.append(point);
}

QList<QPointF> bandOutline(const std::vector<std::pair<double, double>>& runs, double low, double high, double bottom,
                           double top, double joinGap)
{
    QList<QPointF> upper{QPointF(low, bottom)};
    for (std::size_t i = 0; i < runs.size();) {
        const double from = runs[i].first;
        double to = runs[i].second;
        for (++i; i < runs.size() && runs[i].first - to < joinGap; ++i)
            to = runs[i].second;
        upper << QPointF(from, bottom) << QPointF(from, top) << QPointF(to, top) << QPointF(to, bottom);
    }
    upper << QPointF(high, bottom);
    return upper;
}
