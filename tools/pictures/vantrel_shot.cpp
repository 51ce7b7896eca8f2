// vantrel-shot: renders the program's window into a PNG file, as it looks at
// start or after the output frequency has been typed, the sweep window in the
// middle of a sweep, the chip options window with a board's set read back,
// the Plan Quality window with the advisor's list, the band map over a
// range, and the Loop Filter window with a design, for the README.
#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QImage>
#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <utility>

#include "band_map_window.h"
#include "board_commands.h"
#include "chip_options_window.h"
#include "control_panel.h"
#include "loop_filter_window.h"
#include "main_menus.h"
#include "plan_quality_window.h"
#include "register_set_text.h"
#include "file_chooser.h"
#include "frequency_units.h"
#include "main_window.h"
#include "sweep_window.h"
#include "serial_link.h"
#include "message_sink.h"

namespace {

class SilentSink final : public MessageSink {
public:
    void showMessage(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
};

class NoFiles final : public FileChooser {
public:
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&) override { return {}; }
};

// The picture of `window` once the events its showing posted are delivered:
// until then its scroll area keeps the bars of the size it had before.
QImage pictureOf(QWidget* window)
{
    QCoreApplication::sendPostedEvents();
    return window->grab().toImage();
}

bool save(const QImage& image, const QString& file)
{
    if (image.save(file, "PNG"))
        return true;
    std::fprintf(stderr, "vantrel-shot: cannot write %s\n", qPrintable(file));
    return false;
}

// The offscreen platform's own screen is 800 x 600, on which the window
// (panel, bars and strip) would be cut and scroll: a roomy screen instead,
// unless another platform or screen is asked for.
void roomyOffscreenScreen(const QTemporaryDir& dir)
{
    if (qgetenv("QT_QPA_PLATFORM") != "offscreen" || !dir.isValid())
        return;
    QFile config(dir.filePath(QStringLiteral("screens.json")));
    if (!config.open(QIODevice::WriteOnly))
        return;
    config.write(R"({"screens": [{"name": "roomy", "x": 0, "y": 0, "width": 1920, "height": 1200,
                                  "logicalDpi": 96, "logicalBaseDpi": 96}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
}

} // namespace

int main(int argc, char* argv[])
{
    const QTemporaryDir screens;
    roomyOffscreenScreen(screens);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vantrel-shot"));
    QApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Saves a picture of the program's window, or of the sweep window in the middle of a sweep."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("screenshot"), QStringLiteral("Write the picture of the window to FILE (PNG)."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("fout"), QStringLiteral("Type TEXT into the output frequency box first."),
                      QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("ref"), QStringLiteral("Type TEXT into the reference box (Ref In) first."),
                      QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("sweep-window"),
                      QStringLiteral("Write a picture of the sweep window to FILE (PNG), two seconds into a sweep "
                                     "from 2400 to 2410 MHz on the board at --port."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("port"), QStringLiteral("The board's port for --sweep-window (a vantrel-board's "
                                                             "pseudo-terminal)."),
                      QStringLiteral("PATH")});
    parser.addOption({QStringLiteral("chip-options"),
                      QStringLiteral("Write a picture of the chip options window (Chip, Options…) to FILE (PNG), "
                                     "after the set given by --words has been loaded as a set read back."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("rdiv"), QStringLiteral("Type TEXT into the Ref Divider box first."),
                      QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("resolution"),
                      QStringLiteral("Type TEXT into the resolution box, after the Ref Divider and the output."),
                      QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("plan-quality"),
                      QStringLiteral("Write a picture of the Plan Quality window (Plan, Plan Quality…) to FILE (PNG), "
                                     "with the advisor's list for the settings given."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("words"),
                      QStringLiteral("Six words, in any form Paste Register Set takes, loaded before --chip-options."),
                      QStringLiteral("WORDS")});
    parser.addOption({QStringLiteral("band-map"),
                      QStringLiteral("Write a picture of the band map window (Plan, Band Map…) to FILE (PNG), over "
                                     "--band START,STOP,STEP."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("band"),
                      QStringLiteral("The band map's range, MHz: START,STOP,STEP (default: the divider's range)."),
                      QStringLiteral("RANGE")});
    parser.addOption({QStringLiteral("loop-filter-window"),
                      QStringLiteral("Write a picture of the Loop Filter window (Plan, Loop Filter…) to FILE (PNG), "
                                     "after Design has been pressed for --design."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("design"),
                      QStringLiteral("The crossover typed into the Loop Filter window's Design box before Design is "
                                     "pressed, kHz (default 50)."),
                      QStringLiteral("KHZ")});
    parser.addOption({QStringLiteral("loop-bandwidth"),
                      QStringLiteral("The loop bandwidth in kHz the figures assume (default: assumed)."),
                      QStringLiteral("KHZ")});
    parser.process(app);
    if (!parser.isSet(QStringLiteral("screenshot")) && !parser.isSet(QStringLiteral("sweep-window"))
        && !parser.isSet(QStringLiteral("chip-options")) && !parser.isSet(QStringLiteral("plan-quality"))
        && !parser.isSet(QStringLiteral("band-map")) && !parser.isSet(QStringLiteral("loop-filter-window"))) {
        std::fprintf(stderr, "vantrel-shot: --screenshot FILE, --sweep-window FILE, --chip-options FILE, "
                             "--plan-quality FILE, --band-map FILE or --loop-filter-window FILE is required\n");
        return 2;
    }

    SilentSink messages;
    NoFiles files;
    vantrel::SerialLink link;
    vantrel::BoardCommands commands(link);
    ControlPanel panel(messages, link, commands);
    MainWindow window(panel, messages, files);
    window.show();
    // Typed in this order: the reference first, then a new Ref Divider, which
    // rewrites the resolution.
    const std::pair<const char*, const char*> boxes[] = {
        {"ref", "FrText"}, {"rdiv", "Rdivider"}, {"fout", "FoutText"}, {"resolution", "ResolutionText"}};
    for (const auto& [option, box] : boxes) {
        if (parser.isSet(QLatin1String(option)))
            panel.findChild<QLineEdit*>(QLatin1String(box))->setText(parser.value(QLatin1String(option)));
    }
    if (parser.isSet(QStringLiteral("loop-bandwidth"))) {
        const vantrel::FrequencyReading loop = vantrel::readFrequency(
            parser.value(QStringLiteral("loop-bandwidth")).toStdString(), vantrel::FrequencyUnit::kHz);
        if (!loop.value || !vantrel::isLoopBandwidth(*loop.value)) {
            std::fprintf(stderr, "vantrel-shot: --loop-bandwidth: not a bandwidth in kHz\n");
            return 2;
        }
        panel.setLoopBandwidth(vantrel::LoopBandwidth{*loop.value});
    }
    // The layouts the window's bars asked for are done before it is drawn,
    // as the event loop would do them before the first paint.
    QCoreApplication::sendPostedEvents();
    if (parser.isSet(QStringLiteral("screenshot")) && !save(window.grab().toImage(), parser.value(QStringLiteral("screenshot"))))
        return 1;
    if (parser.isSet(QStringLiteral("chip-options"))) {
        if (parser.isSet(QStringLiteral("words"))) {
            const vantrel::RegisterSetReading reading =
                vantrel::readRegisterSetText(parser.value(QStringLiteral("words")).toStdString());
            if (!reading.set) {
                std::fprintf(stderr, "vantrel-shot: --words: %s\n", reading.error.c_str());
                return 2;
            }
            panel.decodeInput(*reading.set);
        }
        window.findChild<QAction*>(QStringLiteral("ChipOptions"))->trigger();
        ChipOptionsWindow* options = window.menus()->chipOptionsWindow();
        if (!save(pictureOf(options), parser.value(QStringLiteral("chip-options"))))
            return 1;
    }
    if (parser.isSet(QStringLiteral("plan-quality"))) {
        window.findChild<QAction*>(QStringLiteral("PlanQuality"))->trigger();
        PlanQualityWindow* quality = window.menus()->planQualityWindow();
        quality->adviseNow();
        if (!save(pictureOf(quality), parser.value(QStringLiteral("plan-quality"))))
            return 1;
    }
    if (parser.isSet(QStringLiteral("band-map"))) {
        window.findChild<QAction*>(QStringLiteral("BandMap"))->trigger();
        BandMapWindow* map = window.menus()->bandMapWindow();
        if (parser.isSet(QStringLiteral("band"))) {
            const QStringList range = parser.value(QStringLiteral("band")).split(QLatin1Char(','));
            const char* const boxes[] = {"BandStart", "BandStop", "BandStep"};
            if (range.size() != 3) {
                std::fprintf(stderr, "vantrel-shot: --band takes START,STOP,STEP\n");
                return 2;
            }
            for (int i = 0; i < 3; ++i)
                map->findChild<QLineEdit*>(QLatin1String(boxes[i]))->setText(range[i].trimmed());
        }
        map->scanNow();
        if (!save(pictureOf(map), parser.value(QStringLiteral("band-map"))))
            return 1;
    }
    if (parser.isSet(QStringLiteral("loop-filter-window"))) {
        window.findChild<QAction*>(QStringLiteral("LoopFilter"))->trigger();
        LoopFilterWindow* loop = window.menus()->loopFilterWindow();
        auto* crossover = loop->findChild<QLineEdit*>(QStringLiteral("DesignCrossover"));
        crossover->setText(parser.value(QStringLiteral("design")).isEmpty() ? QStringLiteral("50")
                                                                            : parser.value(QStringLiteral("design")));
        loop->design();
        if (!save(pictureOf(loop), parser.value(QStringLiteral("loop-filter-window"))))
            return 1;
    }
    if (!parser.isSet(QStringLiteral("sweep-window")))
        return 0;

    const vantrel::OpenOutcome opened = link.open(parser.value(QStringLiteral("port")));
    if (!opened.opened) {
        std::fprintf(stderr, "vantrel-shot: %s\n", qPrintable(opened.message));
        return 1;
    }
    SweepWindow sweep(panel, link, commands, messages, files);
    sweep.show();
    sweep.findChild<QLineEdit*>(QStringLiteral("StartText"))->setText(QStringLiteral("2400"));
    sweep.findChild<QLineEdit*>(QStringLiteral("StopText"))->setText(QStringLiteral("2410"));
    sweep.findChild<QLineEdit*>(QStringLiteral("StepText"))->setText(QStringLiteral("0.5"));
    sweep.findChild<QCheckBox*>(QStringLiteral("ChangedOnly"))->setChecked(true);
    sweep.findChild<QSpinBox*>(QStringLiteral("DwellSpin"))->setValue(200);
    sweep.start();
    int status = 0;
    QTimer::singleShot(std::chrono::milliseconds(2200), &app, [&] {
        status = save(sweep.grab().toImage(), parser.value(QStringLiteral("sweep-window"))) ? 0 : 1;
        sweep.stop();
        QTimer::singleShot(std::chrono::milliseconds(300), &app, &QCoreApplication::quit);
    });
    QApplication::exec();
    return status;
}
