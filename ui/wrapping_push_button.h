// A command button whose caption wraps onto more lines when it is wider
// than the button, as the design's tall buttons expect ("Set all Registers").
#pragma once

#include <QPushButton>

class WrappingPushButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};
