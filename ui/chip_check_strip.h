// The one-line strip under the panel that says whether the plan keeps the
// chip's datasheet limits: green "Within chip limits", or amber with the
// panel's own note (a box read as less than its text holds, a press that
// could not act) or the first broken limit, and how many more, every one
// with its advice in the tool tip; the accessible description holds the
// strip's words and the tool tip. The datasheet's advice that is no limit is
// counted beside it, and after it come the chip options worth a glance ("RF
// output off"). The tool tip ends with the plan's quality
// figures. Reached by Tab; Enter or Space then shows the tool tip, so the
// details need no mouse.
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
    void showCheck(const vantrel::ChipCheck& check);
    // The text as drawn: cut with "…" where the strip is too narrow for it.
    QString shownText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect textArea() const;
};
