// What a screen reader finds: every window the menus open walked through
// QAccessible, each control that takes the focus with a name, and each
// field with a description; the panel's scroll bars speaking what they set.
#include <QtTest>

#include <QAccessible>
#include <QAction>
#include <QMenuBar>

#include "main_menus.h"
#include "main_window.h"
#include "panel_driver.h"
#include "sweep_window.h"

namespace {

struct AllWindows {
    AllWindows()
        : window(d.panel, d.sink, files)
        , sweep(d.panel, d.link, d.commands, d.sink, files)
    {
        window.menus()->addSweepWindow(sweep);
        window.show();
    }
    PanelDriver d;
    NamedFile files; // no name: a file dialog opens nothing
    MainWindow window;
    SweepWindow sweep;
};

// A control a user types into or sets, beside the buttons and boxes whose
// caption is their name: it needs a description too.
bool isField(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::EditableText:
    case QAccessible::ScrollBar:
    case QAccessible::SpinBox:
    case QAccessible::ComboBox:
    case QAccessible::Slider:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::List:
        return true;
    default:
        return false;
    }
}

QString describe(const QWidget* widget)
{
    return QStringLiteral("%1 %2 in %3")
        .arg(QLatin1String(widget->metaObject()->className()), widget->objectName(), widget->window()->objectName());
}

// Every widget of `window` under `node` that takes the focus itself, shown
// or hidden (the board buttons appear once a port opens), lacking a name or
// a field's description. A combo box's list is a window of its own.
void walk(const QWidget* window, QAccessibleInterface* node, QStringList& unnamed, QStringList& undescribed)
{
    if (!node)
        return;
    const auto* widget = qobject_cast<const QWidget*>(node->object());
    if (widget && widget->window() != window)
        return;
    if (widget && widget->focusPolicy() != Qt::NoFocus && !widget->focusProxy()) {
        const QString name = node->text(QAccessible::Name).trimmed();
        const QString description = node->text(QAccessible::Description);
        if (name.isEmpty())
            unnamed << describe(widget);
        else if (isField(node->role()) && description.trimmed().isEmpty())
            undescribed << describe(widget);
        // A text named by its caption must still be heard.
        const auto* text = qobject_cast<const QLabel*>(widget);
        if (text && !text->text().isEmpty() && name != text->text() && !description.contains(text->text()))
            undescribed << describe(widget) + QStringLiteral(" (\"%1\" unheard)").arg(text->text());
    }
    for (int i = 0; i < node->childCount(); ++i)
        walk(window, node->child(i), unnamed, undescribed);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void everyControlIsNamed();
    void scrollBarsSpeakWhatTheySet_data();
    void scrollBarsSpeakWhatTheySet();
};

// Any window the menus open is walked, one added later among them.
void TestAccessibility::everyControlIsNamed()
{
    AllWindows w;
    for (const QAction* menu : w.window.menuBar()->actions()) {
        for (QAction* entry : menu->menu()->actions()) {
            if (entry->text().endsWith(QStringLiteral("…")))
                entry->trigger();
        }
    }
    w.d.click("PicEEdata"); // the EE Data window
    QStringList shown;
    QStringList unnamed;
    QStringList undescribed;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || (window->windowType() != Qt::Window && window->windowType() != Qt::Dialog))
            continue;
        shown << window->objectName();
        walk(window, QAccessible::queryAccessibleInterface(window), unnamed, undescribed);
    }
    for (const char* name : {"MainWindow", "EEdata", "SweepWindow", "ChipOptionsWindow", "PlanQualityWindow",
                             "BandMapWindow", "LoopFilterWindow"})
        QVERIFY2(shown.contains(QLatin1String(name)), qPrintable(shown.join(QLatin1Char(' '))));
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1String("; "))));
    QVERIFY2(undescribed.isEmpty(), qPrintable(undescribed.join(QLatin1String("; "))));
}

void TestAccessibility::scrollBarsSpeakWhatTheySet_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<int>("downs"); // presses of the down arrow from the initial value
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("caption"); // the label beside it, as ever
    QTest::addRow("O/P Power at start") << "Pwr" << 0 << "+5 dBm" << "O/P Power  3";
    QTest::addRow("O/P Power lowest") << "Pwr" << 3 << "-4 dBm" << "O/P Power  0";
    QTest::addRow("Charge Pump at start") << "ChrgPump" << 0 << "5.00 mA" << "Charge Pump  15";
    QTest::addRow("Charge Pump, a half rounded up") << "ChrgPump" << 14 << "0.63 mA" << "Chrg. Pump 1";
    QTest::addRow("Charge Pump lowest") << "ChrgPump" << 15 << "0.31 mA" << "Chrg. Pump 0";
}

void TestAccessibility::scrollBarsSpeakWhatTheySet()
{
    QFETCH(QString, bar);
    QFETCH(int, downs);
    QFETCH(QString, value);
    QFETCH(QString, caption);
    PanelDriver d;
    const QByteArray name = bar.toLatin1();
    d.arrows(name.constData(), false, downs);
    SettingScrollBar* scrollBar = d.bar(name.constData());
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(scrollBar);
    QVERIFY(spoken);
    QCOMPARE(spoken->text(QAccessible::Value), value);
    QCOMPARE(spoken->text(QAccessible::Name), scrollBar->accessibleName());
    QCOMPARE(scrollBar->toolTip(), scrollBar->accessibleName() + QStringLiteral(": ") + value);
    QCOMPARE(spoken->text(QAccessible::Description), scrollBar->toolTip());
    // The value a screen reader steps is the setting, not the bar's upside-down position.
    QAccessibleValueInterface* setting = spoken->valueInterface();
    QVERIFY(setting);
    QCOMPARE(setting->currentValue().toInt(), scrollBar->settingValue());
    QCOMPARE(d.label(name == "Pwr" ? "PwrLabel" : "ChrgPumpLabel")->text(), caption);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
