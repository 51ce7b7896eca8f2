// vantrel-shot: renders the control panel into a PNG file, as it looks at
// start or after the output frequency has been typed, for the README.
#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QLineEdit>

#include <cstdio>

#include "board_commands.h"
#include "control_panel.h"
#include "serial_link.h"
#include "message_sink.h"

namespace {

class SilentSink final : public MessageSink {
public:
    void showMessage(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Saves a picture of the control panel."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("screenshot"), QStringLiteral("Write the picture to FILE (PNG)."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("fout"), QStringLiteral("Type TEXT into the output frequency box first."),
                      QStringLiteral("TEXT")});
    parser.process(app);
    if (!parser.isSet(QStringLiteral("screenshot"))) {
        std::fprintf(stderr, "vantrel-shot: --screenshot FILE is required\n");
        return 2;
    }

    SilentSink messages;
    vantrel::SerialLink link;
    vantrel::BoardCommands commands(link);
    ControlPanel panel(messages, link, commands);
    panel.show();
    if (parser.isSet(QStringLiteral("fout"))) {
        auto* fout = panel.findChild<QLineEdit*>(QStringLiteral("FoutText"));
        fout->setText(parser.value(QStringLiteral("fout")));
    }
    const QImage image = panel.grab().toImage();
    if (!image.save(parser.value(QStringLiteral("screenshot")), "PNG")) {
        std::fprintf(stderr, "vantrel-shot: cannot write %s\n", qPrintable(parser.value(QStringLiteral("screenshot"))));
        return 1;
    }
    return 0;
}
