// What the band map hands Qt Charts to draw: of the points that fall in one
// cell of the plot (a pixel or a few) only one, since a dot drawn over
// another adds nothing and Qt Charts keeps a path of every point it is
// given (14 MB for 100,000); and the shaded bands as one outline, runs
// closer than a pixel joined.
#pragma once

#include <QList>
#include <QPointF>

#include <utility>
#include <vector>

// The plot's ranges and size in cells; the vertical axis may be logarithmic.
struct PlotFrame {
    double xLow = 0;
    double xHigh = 1;
    double yLow = 0;
    double yHigh = 1;
    bool logY = false;
    int width = 1;  // cells
    int height = 1; // cells
};

class PixelThinner {
public:
    explicit PixelThinner(const PlotFrame& frame);

    // Keeps `point` unless one kept already falls in its cell; a point
    // beyond the horizontal range (zoomed away) or not on the vertical axis
    // (not positive on a logarithmic one) is left out.
    void add(const QPointF& point);
    QList<QPointF> take() { return std::move(m_kept); }

private:
    PlotFrame m_frame;
    double m_yLow;  // log10 of the range on a logarithmic axis
    double m_yHigh;
    std::vector<bool> m_taken; // one per cell, row after row
    QList<QPointF> m_kept;
};

// The upper line of an area series that shades `runs` (each from..to in x,
// rising and apart) from `bottom` to `top` over `low`..`high`: on the bottom
// between runs, up at each. Runs less than `joinGap` apart are one.
QList<QPointF> bandOutline(const std::vector<std::pair<double, double>>& runs, double low, double high,
                           double bottom, double top, double joinGap);
