// The control panel with quiet collaborators, as the window benchmarks use
// it: no box waits for a click, a file dialog answers with a name set
// beforehand, and the link starts closed.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include "board_commands.h"
#include "control_panel.h"
#include "file_chooser.h"
#include "message_sink.h"
#include "serial_link.h"

namespace bench {

class NoMessages final : public MessageSink {
public:
    void showMessage(const QString&) override {}
};

class NamedFile final : public FileChooser {
public:
    QString openFileName(const QString&, const QString&) override { return name; }
    QString saveFileName(const QString&, const QString&) override { return name; }
    QString name;
};

struct PanelHarness {
    NoMessages messages;
    NamedFile files;
    vantrel::SerialLink link;
    vantrel::BoardCommands commands{link};
    ControlPanel panel{messages, link, commands};

    QLineEdit* fout() const { return panel.findChild<QLineEdit*>(QStringLiteral("FoutText")); }
    QPlainTextEdit* listing() const { return panel.findChild<QPlainTextEdit*>(QStringLiteral("ValuesText")); }

    // Keystrokes in the output frequency box, each until the listing shows
    // its plan and `alsoShown` has read whatever else the figure waits for.
    template <typename AlsoShown>
    void keystrokes(benchmark::State& state, AlsoShown alsoShown)
    {
        QLineEdit* box = fout();
        const QPlainTextEdit* values = listing();
        box->setText(QStringLiteral("2320.5"));
        box->setCursorPosition(box->text().size());
        bool add = true;
        for (auto _ : state) {
            // Alternately add and remove a digit, so every keystroke changes the plan.
            QTest::keyClick(box, add ? Qt::Key_5 : Qt::Key_Backspace);
            add = !add;
            benchmark::DoNotOptimize(values->toPlainText());
            alsoShown();
        }
    }
};

} // namespace bench
