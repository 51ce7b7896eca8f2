// The loop filter as a small schematic with the names the Loop Filter
// window's boxes carry: the charge pump into C1 to ground, R2 and C2 in
// series to ground beside it, R3 on to the VCO's tuning input with C3 to
// ground. Drawn, not interactive.
#pragma once

#include <QWidget>

class LoopSchematic : public QWidget {
    Q_OBJECT
public:
    explicit LoopSchematic(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
