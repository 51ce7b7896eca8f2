// The one-line strip under the panel that says whether the plan keeps the
// chip's datasheet limits: green "Within chip limits", or amber with the
// first broken limit and how many more, every one with its advice in the
// tool tip and the accessible description. Reached by Tab; Enter or Space
// then shows the tool tip, so the details need no mouse.
#pragma once

#include <QLabel>

#include <vector>

#include "chip_check.h"

class ChipCheckStrip : public QLabel {
    Q_OBJECT
public:
    static constexpr int kHeight = 20; // pixels, one line of the panel's font

    explicit ChipCheckStrip(QWidget* parent = nullptr);

    // Blank until the plan first runs, as the results box is.
    void showBreaks(const std::vector<vantrel::ChipLimitBreak>& breaks);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
