// Vantrel: reads the command line, builds the control panel and its
// collaborators, and runs it.
#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "board_commands.h"
#include "control_panel.h"
#include "file_chooser.h"
#include "main_menus.h"
#include "main_window.h"
#include "message_sink.h"
#include "remembered_state.h"
#include "serial_link.h"
#include "startup_probe.h"
#include "sweep_window.h"

namespace {

constexpr int kUsageError = 2;

void nameApplication()
{
    // Also where QSettings keeps what is remembered: ~/.config/Vantrel/Vantrel.conf.
    QCoreApplication::setOrganizationName(QStringLiteral("Vantrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
}

// Whether the command line only asks for text, which needs no screen: it
// is answered before the window system is asked for one.
bool asksForTextOnly(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

struct StartOptions {
    bool fresh = false;
};

// Prints the help or the version and ends the program when asked, and ends
// it with a usage error for anything it does not take.
StartOptions readCommandLine(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The control panel of a frequency-synthesizer board built round an ADF4351 or ADF4150 PLL chip and a "
        "PIC microcontroller: type the wanted output, the reference and the step, set the chip's options, and "
        "it works out the frequency plan, packs the chip's six register words, sends them to the board over a "
        "serial port and lists them as PIC data-EEPROM lines.\n\n"
        "The window remembers between runs the port that last opened (offered in the COM box, not opened), "
        "where each window stood, the settings files last opened or saved (File, Open Recent), the loop "
        "bandwidth and the band map's range; the panel itself starts from its initial values every time."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption fresh(QStringLiteral("fresh"),
                                   QStringLiteral("Start without anything remembered from earlier runs, and remember "
                                                  "nothing of this one: what is remembered stays as it was."));
    parser.addOption(fresh);
    if (!parser.parse(app.arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString error = parser.positionalArguments().isEmpty()
                                  ? parser.errorText()
                                  : QStringLiteral("\"%1\" is no option; vantrel takes no file or other argument")
                                        .arg(parser.positionalArguments().constFirst());
        std::fprintf(stderr, "vantrel: %s\nTry 'vantrel --help'.\n", qPrintable(error));
        std::exit(kUsageError);
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    return {parser.isSet(fresh)};
}

} // namespace

int main(int argc, char* argv[])
{
    if (asksForTextOnly(argc, argv)) {
        QCoreApplication text(argc, argv);
        nameApplication();
        readCommandLine(text);
    }
    QApplication app(argc, argv);
    nameApplication();
    const StartOptions options = readCommandLine(app);

    // The platform's place for settings; not even read with --fresh.
    std::optional<QSettings> store;
    if (!options.fresh)
        store.emplace();
    RememberedState remembered(store ? &*store : nullptr);
    MessageBoxSink messages;
    FileDialogChooser files;
    vantrel::SerialLink link;
    vantrel::BoardCommands commands(link);
    ControlPanel panel(messages, link, commands);
    MainWindow window(panel, messages, files, &remembered);
    SweepWindow sweep(panel, link, commands, messages, files);
    window.menus()->addSweepWindow(sweep);
    messages.setParent(&window);
    files.setParent(&window);
    if (StartupProbe::wanted())
        new StartupProbe(&panel);
    window.show();
    return QApplication::exec();
}
