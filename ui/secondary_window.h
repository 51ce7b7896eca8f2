// What the secondary windows (Chip Options, Plan Quality, Band Map, the
// sweep window) share on a small or scaled screen and from the keyboard:
// their content scrolls inside the window rather than its rows overlapping
// when the window is smaller than they need; the window opens within the
// available screen; a Close button under the content, and Esc, close it.
#pragma once

#include <QSize>
#include <QString>

class QScrollArea;
class QWidget;

// Puts `content` into a scroll area that fills `window`, with, under it and
// outside the scrolling, a row holding a Close button (object name "Close",
// caption `closeCaption`) unless that caption is empty. The window is sized
// to give the content `contentSize` (by default its size hint) with the
// row under it; fitWithinScreen bounds it.
QScrollArea* putInScrollArea(QWidget& window, QWidget* content, const QString& closeCaption,
                             QSize contentSize = QSize());

// Esc, pressed where no control of `window` takes it, closes the window, as
// its Close button does.
void closeOnEscape(QWidget& window);

// Keeps `window`, whenever it is shown, within the available part of its
// screen, its frame included: no larger, and moved inside it.
void fitWithinScreen(QWidget& window);
