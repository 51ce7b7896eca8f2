#include "setting_scroll_bar.h"

SettingScrollBar::SettingScrollBar(QWidget* parent)
    : QScrollBar(Qt::Vertical, parent)
{
    setTracking(false);
    setPageStep(1);
    setSingleStep(1);
    connect(this, &QScrollBar::valueChanged, this, [this](int position) { emit settingChanged(maximum() - position); });
}

int SettingScrollBar::settingValue() const { return maximum() - value(); }

void SettingScrollBar::setSettingValue(int value) { setValue(maximum() - value); }
