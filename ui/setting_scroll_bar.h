// A vertical scroll bar whose top end is its highest value, as the panel's
// divider, charge-pump and power bars are: the up arrow raises the value.
// Its value is spoken, and shown in its tool tip, as what it sets ("+5 dBm").
#pragma once

#include <QScrollBar>

#include <functional>

// QScrollBar puts its minimum at the top and no property turns its arrows
// round, so the setting is kept as maximum - position.
class SettingScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit SettingScrollBar(QWidget* parent = nullptr);

    int settingValue() const;
    // Raises settingChanged only when the value really changes.
    void setSettingValue(int value);

    // What a setting value means, with its unit: the accessible value and,
    // after the accessible name, the tool tip. Without one, the number.
    void setValueText(std::function<QString(int)> text);
    QString valueText() const;

protected:
    // A scroll bar shows no focus of its own in most styles; a user moving
    // through the panel with Tab must see where the arrow keys will act.
    void paintEvent(QPaintEvent* event) override;

signals:
    // When the value has changed: on an arrow or track click, on release of
    // the thumb (not while it is dragged), or from code.
    void settingChanged(int value);

private:
    void showValue();

    std::function<QString(int)> m_valueText;
};
