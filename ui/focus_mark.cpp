#include "focus_mark.h"

#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QWidget>

void paintFocusMark(QWidget& widget)
{
    QPainter painter(&widget);
    // Two pixels wide, so that it shows beside a scroll bar's own edges.
    QPen pen(widget.palette().color(QPalette::Highlight), 2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(widget.rect()).adjusted(1, 1, -1, -1));
}
