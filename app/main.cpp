// Vantrel: builds the control panel and its collaborators and runs it.
#include <QApplication>

#include "control_panel.h"
#include "message_sink.h"
#include "startup_probe.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));

    MessageBoxSink messages;
    ControlPanel panel(messages);
    messages.setParent(&panel);
    if (StartupProbe::wanted())
        new StartupProbe(&panel);
    panel.show();
    return QApplication::exec();
}
