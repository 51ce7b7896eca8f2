// Vantrel: builds the control panel and its collaborators and runs it.
#include <QApplication>

#include "board_commands.h"
#include "control_panel.h"
#include "file_chooser.h"
#include "main_menus.h"
#include "main_window.h"
#include "message_sink.h"
#include "serial_link.h"
#include "startup_probe.h"
#include "sweep_window.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));

    MessageBoxSink messages;
    FileDialogChooser files;
    vantrel::SerialLink link;
    vantrel::BoardCommands commands(link);
    ControlPanel panel(messages, link, commands);
    MainWindow window(panel, messages, files);
    SweepWindow sweep(panel, link, commands, messages, files);
    window.menus()->addSweepWindow(sweep);
    messages.setParent(&window);
    files.setParent(&window);
    if (StartupProbe::wanted())
        new StartupProbe(&panel);
    window.show();
    return QApplication::exec();
}
