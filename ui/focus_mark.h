// The mark a focused control shows when its style draws none (scroll bars,
// the chip-check strip): a frame in the highlight colour inside its edge.
#pragma once

class QWidget;

// Call at the end of the widget's own paintEvent, while it has the focus.
void paintFocusMark(QWidget& widget);
