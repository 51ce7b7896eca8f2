// Drives a ControlPanel as a user would, headless: typing, clicking,
// pressing scroll-bar arrows; and a message sink that records.
#pragma once

#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionSlider>

#include "board_commands.h"
#include "control_panel.h"
#include "file_chooser.h"
#include "serial_link.h"
#include "message_sink.h"
#include "setting_scroll_bar.h"

// A file dialog that answers with the name set beforehand; empty, as cancelled.
class NamedFile final : public FileChooser {
public:
    QString openFileName(const QString&, const QString&) override { return name; }
    QString saveFileName(const QString&, const QString&) override { return name; }
    QString name;
};

class RecordingSink final : public MessageSink {
public:
    void showMessage(const QString& text) override { showMessageOver(nullptr, text); }
    void showMessageOver(QWidget* window, const QString& text) override
    {
        messages << text;
        shownOver << window;
    }
    // Answers with `answer` when it is among the answers offered, else as dismissed.
    int ask(QWidget* window, const QString& text, const QStringList& answers, int cancel) override
    {
        questions << text;
        shownOver << window;
        const qsizetype chosen = answers.indexOf(answer);
        return chosen < 0 ? cancel : int(chosen);
    }
    QStringList messages;
    QStringList questions;
    QList<QWidget*> shownOver; // for each message and question, the window it was shown over
    QString answer;
};

class PanelDriver {
public:
    PanelDriver() : commands(link), panel(sink, link, commands) { panel.show(); }

    template <typename T>
    T* get(const char* name) const
    {
        T* widget = panel.findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control named %s", name);
        return widget;
    }
    QLineEdit* edit(const char* name) const { return get<QLineEdit>(name); }
    QLabel* label(const char* name) const { return get<QLabel>(name); }
    QCheckBox* check(const char* name) const { return get<QCheckBox>(name); }
    SettingScrollBar* bar(const char* name) const { return get<SettingScrollBar>(name); }
    QString listing() const { return get<QPlainTextEdit>("ValuesText")->toPlainText(); }

    // Replaces a box's text keystroke by keystroke, as typing does.
    void type(const char* name, const QString& text)
    {
        QLineEdit* box = edit(name);
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    void click(const char* name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton, {}, QPoint(4, 6)); }

    // One press of a scroll bar's up or down arrow.
    void arrow(const char* name, bool up)
    {
        SettingScrollBar* scrollBar = bar(name);
        QStyleOptionSlider option;
        option.initFrom(scrollBar);
        option.orientation = Qt::Vertical;
        option.minimum = scrollBar->minimum();
        option.maximum = scrollBar->maximum();
        option.sliderPosition = scrollBar->sliderPosition();
        option.sliderValue = scrollBar->value();
        option.singleStep = scrollBar->singleStep();
        option.pageStep = scrollBar->pageStep();
        option.subControls = QStyle::SC_All;
        const QRect arrowRect = scrollBar->style()->subControlRect(
            QStyle::CC_ScrollBar, &option, up ? QStyle::SC_ScrollBarSubLine : QStyle::SC_ScrollBarAddLine, scrollBar);
        QTest::mouseClick(scrollBar, Qt::LeftButton, {}, arrowRect.center());
    }
    void arrows(const char* name, bool up, int times)
    {
        for (int i = 0; i < times; ++i)
            arrow(name, up);
    }

    // The first worked example's options: MUXOUT lock detect, charge pump 7, mute off.
    void firstExampleOptions()
    {
        click("MuxL");
        arrows("ChrgPump", false, 8);
        click("MTLD");
    }

    RecordingSink sink;
    vantrel::SerialLink link;
    vantrel::BoardCommands commands;
    ControlPanel panel;
};
