#include "setting_scroll_bar.h"

#include "focus_mark.h"

SettingScrollBar::SettingScrollBar(QWidget* parent)
    : QScrollBar(Qt::Vertical, parent)
{
    setTracking(false);
    // Reachable by Tab and by a click, and then set from the keyboard: a
    // scroll bar's keys step it as its arrows do (Up raises the setting, the
    // controls being inverted on a vertical bar), and its page step is 1.
    setFocusPolicy(Qt::StrongFocus);
    setPageStep(1);
    setSingleStep(1);
    connect(this, &QScrollBar::valueChanged, this, [this](int position) { emit settingChanged(maximum() - position); });
}

int SettingScrollBar::settingValue() const { return maximum() - value(); }

void SettingScrollBar::setSettingValue(int value) { setValue(maximum() - value); }

void SettingScrollBar::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    if (hasFocus())
        paintFocusMark(*this);
}
