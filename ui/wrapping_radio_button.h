// An option button whose caption wraps onto a second line, for a caption
// that the design fits into a narrow but taller button ("Lock Det").
#pragma once

#include <QRadioButton>

class WrappingRadioButton : public QRadioButton {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};
