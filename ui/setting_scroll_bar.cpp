#include "setting_scroll_bar.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "focus_mark.h"

namespace {

// Qt's own scroll bar tells the position, upside down for these bars, and
// as a bare number; this one tells the setting and what it sets.
class SettingScrollBarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SettingScrollBarAccessible(SettingScrollBar* bar)
        : QAccessibleWidget(bar, QAccessible::ScrollBar)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? bar()->valueText() : QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return bar()->settingValue(); }
    void setCurrentValue(const QVariant& value) override { bar()->setSettingValue(value.toInt()); }
    QVariant maximumValue() const override { return bar()->maximum(); }
    QVariant minimumValue() const override { return bar()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    SettingScrollBar* bar() const { return static_cast<SettingScrollBar*>(widget()); }
};

QAccessibleInterface* settingScrollBarAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("SettingScrollBar"))
        return new SettingScrollBarAccessible(static_cast<SettingScrollBar*>(object));
    return nullptr;
}

} // namespace

SettingScrollBar::SettingScrollBar(QWidget* parent)
    : QScrollBar(Qt::Vertical, parent)
{
    static const bool accessible = [] {
        QAccessible::installFactory(settingScrollBarAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    setTracking(false);
    // Reachable by Tab and by a click, and then set from the keyboard: a
    // scroll bar's keys step it as its arrows do (Up raises the setting, the
    // controls being inverted on a vertical bar), and its page step is 1.
    setFocusPolicy(Qt::StrongFocus);
    setPageStep(1);
    setSingleStep(1);
    connect(this, &QScrollBar::valueChanged, this, [this](int position) {
        showValue();
        emit settingChanged(maximum() - position);
    });
}

int SettingScrollBar::settingValue() const { return maximum() - value(); }

void SettingScrollBar::setSettingValue(int value) { setValue(maximum() - value); }

void SettingScrollBar::setValueText(std::function<QString(int)> text)
{
    m_valueText = std::move(text);
    showValue();
}

QString SettingScrollBar::valueText() const
{
    return m_valueText ? m_valueText(settingValue()) : QString::number(settingValue());
}

void SettingScrollBar::showValue()
{
    if (!m_valueText)
        return;
    setToolTip(QStringLiteral("%1: %2").arg(accessibleName(), valueText()));
    // After the position Qt's own event told: the setting, as spoken.
    QAccessibleValueChangeEvent event(this, settingValue());
    QAccessible::updateAccessibility(&event);
}

void SettingScrollBar::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    if (hasFocus())
        paintFocusMark(*this);
}
