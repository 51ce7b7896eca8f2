#include "wrapping_radio_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

void WrappingRadioButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_RadioButton, option);

    const int indent = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, this)
                       + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, this);
    QRect textRect = rect();
    textRect.setLeft(indent);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, caption);
}

bool WrappingRadioButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }
