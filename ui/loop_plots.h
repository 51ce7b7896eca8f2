// The Loop Filter window's two plots, drawn with Qt Charts on two tabs: the
// phase noise at the output against offset (the PLL's, the VCO's and their
// total, on a logarithmic offset axis, with the crossover and the
// integer-boundary spur's offset marked), and the open loop's gain and
// phase (Bode) with the crossover marked.
#pragma once

#include <QTabWidget>

#include <optional>

#include "loop_figures.h"

class QChart;
class QChartView;
class QLineSeries;
class QLogValueAxis;
class QValueAxis;

class LoopPlots : public QTabWidget {
    Q_OBJECT
public:
    enum Tab { NoiseTab, BodeTab };

    explicit LoopPlots(QWidget* parent = nullptr);

    // The figures' curves, with the spur's offset marked when there is one
    // (Hz); none empties both plots.
    void showFigures(const vantrel::LoopFigures* figures, std::optional<double> boundarySpurHz);
    // The plot on the tab shown, for a picture of it.
    QChartView* currentView() const;

private:
    QChartView* m_noiseView = nullptr;
    QChartView* m_bodeView = nullptr;
    QLogValueAxis* m_noiseOffset = nullptr;
    QValueAxis* m_noiseLevel = nullptr;
    QLineSeries* m_pll = nullptr;
    QLineSeries* m_vco = nullptr;
    QLineSeries* m_total = nullptr;
    QLineSeries* m_crossover = nullptr;
    QLineSeries* m_spur = nullptr;
    QLogValueAxis* m_bodeOffset = nullptr;
    QValueAxis* m_gainAxis = nullptr;
    QValueAxis* m_phaseAxis = nullptr;
    QLineSeries* m_gain = nullptr;
    QLineSeries* m_phase = nullptr;
    QLineSeries* m_bodeCrossover = nullptr;
};
