// The control panel with quiet collaborators, as the window benchmarks use
// it: no box waits for a click, a file dialog answers with a name set
// beforehand, and the link starts closed.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

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
};

} // namespace bench
