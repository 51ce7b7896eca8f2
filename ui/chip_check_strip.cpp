#include "chip_check_strip.h"

#include <QKeyEvent>
#include <QStringList>
#include <QToolTip>

#include "focus_mark.h"
#include "widget_colours.h"

namespace {

// Red + 256 x green + 65536 x blue, as every colour of the panel.
constexpr vantrel::Colour colour(int red, int green, int blue)
{
    return vantrel::Colour(red) + 256 * vantrel::Colour(green) + 65536 * vantrel::Colour(blue);
}

} // namespace

ChipCheckStrip::ChipCheckStrip(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("ChipCheck"));
    setFixedHeight(kHeight);
    setAutoFillBackground(true);
    setIndent(6);
    // Reachable by Tab, so that a keyboard or screen-reader user hears it too.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QStringLiteral("Chip limits"));
}

void ChipCheckStrip::showBreaks(const std::vector<vantrel::ChipLimitBreak>& breaks)
{
    if (breaks.empty()) {
        setText(QStringLiteral("Within chip limits"));
        setToolTip(QStringLiteral("The plan keeps every datasheet limit the program checks."));
        setRoleColour(this, QPalette::Window, colour(200, 240, 200));
        setRoleColour(this, QPalette::WindowText, colour(0, 90, 0));
    } else {
        QString text = QString::fromStdString(breaks.front().summary);
        if (breaks.size() > 1)
            text += QStringLiteral(" (+%1 more)").arg(breaks.size() - 1);
        setText(text);
        QStringList lines;
        for (const vantrel::ChipLimitBreak& item : breaks)
            lines << QString::fromStdString(item.text());
        setToolTip(lines.join(QLatin1Char('\n')));
        setRoleColour(this, QPalette::Window, colour(255, 200, 80));
        setRoleColour(this, QPalette::WindowText, colour(80, 40, 0));
    }
    setAccessibleDescription(toolTip());
}

void ChipCheckStrip::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (hasFocus())
        paintFocusMark(*this);
}

void ChipCheckStrip::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        // Under the strip, where the pointer's tool tip would be.
        QToolTip::showText(mapToGlobal(QPoint(0, height())), toolTip(), this);
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}
