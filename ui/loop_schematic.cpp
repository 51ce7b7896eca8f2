#include "loop_schematic.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// The drawing's grid: nodes stand kStep apart, the top rail at kTop.
constexpr int kStep = 70;
constexpr int kTop = 22;
constexpr int kLeft = 44;
constexpr int kPart = 26; // a part's length along its wire

void ground(QPainter& p, QPoint at)
{
    p.drawLine(at.x() - 9, at.y(), at.x() + 9, at.y());
    p.drawLine(at.x() - 5, at.y() + 4, at.x() + 5, at.y() + 4);
    p.drawLine(at.x() - 2, at.y() + 8, at.x() + 2, at.y() + 8);
}

// A capacitor across a vertical wire from `top` down `length`, its name beside it.
void capacitor(QPainter& p, QPoint top, int length, const QString& name)
{
    const int mid = top.y() + length / 2;
    p.drawLine(top, QPoint(top.x(), mid - 3));
    p.drawLine(top.x() - 9, mid - 3, top.x() + 9, mid - 3);
    p.drawLine(top.x() - 9, mid + 3, top.x() + 9, mid + 3);
    p.drawLine(QPoint(top.x(), mid + 3), QPoint(top.x(), top.y() + length));
    p.drawText(top.x() + 12, mid + 5, name);
}

// A resistor along a wire from `from` to `to` (vertical or horizontal).
void resistor(QPainter& p, QPoint from, QPoint to, const QString& name)
{
    const bool vertical = from.x() == to.x();
    const QPoint mid = (from + to) / 2;
    const QRect body = vertical ? QRect(mid.x() - 5, mid.y() - kPart / 2, 10, kPart)
                                : QRect(mid.x() - kPart / 2, mid.y() - 5, kPart, 10);
    if (vertical) {
        p.drawLine(from, QPoint(from.x(), body.top()));
        p.drawLine(QPoint(to.x(), body.bottom()), to);
        p.drawText(body.right() + 7, mid.y() + 5, name);
    } else {
        p.drawLine(from, QPoint(body.left(), from.y()));
        p.drawLine(QPoint(body.right(), to.y()), to);
        p.drawText(mid.x() - 8, body.top() - 5, name);
    }
    p.drawRect(body);
}

} // namespace

LoopSchematic::LoopSchematic(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("LoopSchematic"));
    setAccessibleName(QStringLiteral("Loop filter schematic"));
    setAccessibleDescription(QStringLiteral("The charge pump into C1 to ground; R2 in series with C2 to ground; "
                                            "then R3 in series to C3 to ground, whose node tunes the VCO. "
                                            "R3 and C3 left empty give a second-order filter."));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LoopSchematic::sizeHint() const { return {kLeft + 4 * kStep, kTop + kStep + 36}; }

void LoopSchematic::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1.5));
    const int c1 = kLeft + kStep / 2;
    const int r2 = c1 + kStep;
    const int c3 = r2 + 2 * kStep;
    const int railEnd = c3 + kStep / 2;
    const int down = kStep;
    // The charge pump's output and the rail to R3, then on to the VCO.
    p.drawText(0, kTop + 5, QStringLiteral("CP"));
    p.drawLine(24, kTop, r2 + kStep / 4, kTop);
    resistor(p, QPoint(r2 + kStep / 4, kTop), QPoint(c3 - kStep / 4, kTop), QStringLiteral("R3"));
    p.drawLine(c3 - kStep / 4, kTop, railEnd, kTop);
    p.drawText(railEnd + 4, kTop + 5, QStringLiteral("VCO"));
    for (const int x : {c1, r2, c3})
        p.drawEllipse(QPoint(x, kTop), 2, 2);
    capacitor(p, QPoint(c1, kTop), down, QStringLiteral("C1"));
    ground(p, QPoint(c1, kTop + down));
    resistor(p, QPoint(r2, kTop), QPoint(r2, kTop + down / 2 + 10), QStringLiteral("R2"));
    capacitor(p, QPoint(r2, kTop + down / 2 + 10), down / 2 + 10, QStringLiteral("C2"));
    ground(p, QPoint(r2, kTop + down + 20));
    capacitor(p, QPoint(c3, kTop), down, QStringLiteral("C3"));
    ground(p, QPoint(c3, kTop + down));
}
