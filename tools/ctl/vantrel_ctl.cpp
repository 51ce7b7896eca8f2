// vantrel-ctl: the control panel's board commands from a shell, with the
// window's own plan, pacing and decode, and the sweeps and hop lists that no
// window button offers.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <memory>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "board_commands.h"
#include "command_lines.h"
#include "ctl_options.h"
#include "interrupt_watch.h"
#include "line_end.h"
#include "plan_report.h"
#include "port_selection.h"
#include "register_decode.h"
#include "serial_link.h"
#include "step_report.h"
#include "sweep_plan.h"
#include "sweep_runner.h"

namespace {

using namespace vantrel;

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitChipLimit = 3;
constexpr int kExitNoSet = 4;
constexpr int kExitInterrupted = 130;

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

QString shownLine(std::string_view line)
{
    const std::string_view text = withoutLineEnd(line);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList shownLines(const std::vector<std::string>& lines)
{
    QStringList shown;
    for (const std::string& line : lines)
        shown << shownLine(line);
    return shown;
}

// Everything the program says goes through here, so that a progress line on
// a terminal is wiped before anything else is written below it.
class Console {
public:
    void out(const QByteArray& bytes)
    {
        clearProgress();
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
        std::fflush(stdout);
    }
    void err(const QString& line)
    {
        clearProgress();
        const QByteArray bytes = line.toLocal8Bit() + '\n';
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    }
    void progress(const QString& line)
    {
        if (!stderrIsTerminal())
            return;
        const QByteArray bytes = "\r" + line.toLocal8Bit() + "\x1b[K";
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
        m_progressShown = true;
    }
    void clearProgress()
    {
        if (m_progressShown)
            std::fputs("\r\x1b[K", stderr);
        m_progressShown = false;
    }

private:
    bool m_progressShown = false;
};

// One command against the board, from opening the port to the exit status.
class BoardRun : public QObject {
public:
    BoardRun(const CtlRequest& request, Console& console)
        : m_request(request), m_console(console), m_commands(m_link)
    {
        connect(&m_link, &SerialLink::userData, this,
                [this](const QString& text) { m_console.err(QStringLiteral("board: user data ") + text); });
        connect(&m_link, &SerialLink::registerWord, this, [this](int, quint32, const QString& line) {
            m_console.err(QStringLiteral("board: ") + line.trimmed());
        });
    }

    // Opens the port the request names; false (and the reason said) otherwise.
    bool openPort()
    {
        const PortTarget target = choosePort(m_request.port);
        if (!target.chosen) {
            m_console.err(QStringLiteral("vantrel-ctl: --port %1 names no port").arg(m_request.port));
            return false;
        }
        if (!target.canOpen()) {
            m_console.err(QStringLiteral("vantrel-ctl: ") + target.error);
            return false;
        }
        const OpenOutcome outcome = m_link.open(target.device);
        if (!outcome.opened)
            m_console.err(QStringLiteral("vantrel-ctl: ") + outcome.message);
        return outcome.opened;
    }

    int sendPlan(const PlanSession& plan, BoardCommands::Command command)
    {
        const std::vector<std::string> lines = command == BoardCommands::Command::SendAll
                                                   ? sendAllLines(plan.plan().registers)
                                                   : writeAllLines(plan.plan().registers);
        connect(&m_commands, &BoardCommands::finished, this, [this, &plan, &lines](auto, const QString& reply) {
            showBoardText(reply);
            if (m_request.plan.json) {
                QJsonObject object = planObject(plan);
                object.insert(QStringLiteral("sent"), QJsonArray::fromStringList(shownLines(lines)));
                m_console.out(jsonText(object));
            } else {
                m_console.out(QByteArray::fromStdString(planText(plan)));
            }
            QCoreApplication::exit(kExitDone);
        });
        connect(&m_commands, &BoardCommands::aborted, this, [this] { failOnTheWire(); });
        connect(&m_link, &SerialLink::portLost, this, [this](const QString& reason) { m_lostReason = reason; });
        if (command == BoardCommands::Command::SendAll)
            m_commands.sendAll(plan.plan().registers);
        else
            m_commands.writeAll(plan.plan().registers);
        return QCoreApplication::exec();
    }

    int read(PlanSession& session)
    {
        connect(&m_link, &SerialLink::decodeRequested, this, [this, &session](const RegisterSet& set) {
            const std::string changed = readBackMessage(loadRegisterSet(session, set));
            showBoardText(m_link.takePendingText());
            if (!changed.empty())
                m_console.err(QStringLiteral("vantrel-ctl: ") + QString::fromStdString(changed));
            if (m_request.plan.json) {
                QJsonObject object = planObject(session);
                addReadBack(object, session, set);
                m_console.out(jsonText(object));
            } else {
                m_console.out(QByteArray::fromStdString(planText(session)));
            }
            QCoreApplication::exit(kExitDone);
        });
        connect(&m_commands, &BoardCommands::initTimedOut, this, [this] {
            showBoardText(m_link.takePendingText());
            m_console.err(QStringLiteral("vantrel-ctl: ") + QString::fromLatin1(kNoRegisterSetText));
            QCoreApplication::exit(kExitNoSet);
        });
        connect(&m_commands, &BoardCommands::aborted, this, [this] { failOnTheWire(); });
        connect(&m_link, &SerialLink::portLost, this, [this](const QString& reason) { m_lostReason = reason; });
        m_commands.init();
        return QCoreApplication::exec();
    }

    int sweep(const std::vector<SweepStepPlan>& planned, SweepRunner::Options options)
    {
        std::vector<SweepStep> steps = SweepRunner::stepsOf(planned, m_request.dwell);
        SweepRunner runner(m_link);
        InterruptWatch interrupts;
        QElapsedTimer sinceStart;
        StepReport report(planned, options.passes);
        connect(&interrupts, &InterruptWatch::interrupted, &runner, &SweepRunner::stop);
        connect(&runner, &SweepRunner::stepStarted, this,
                [&](int pass, int index, const QStringList& lines, std::chrono::nanoseconds at) {
                    showBoardText(m_link.takePendingText());
                    report.started(pass, index, lines, at);
                    m_console.out(m_request.plan.json ? report.jsonLine() : report.textLine());
                    m_console.progress(report.progressLine());
                });
        connect(&runner, &SweepRunner::finished, this, [&] {
            showBoardText(m_link.takePendingText());
            m_console.err(report.summary(sinceStart.nsecsElapsed()));
            QCoreApplication::exit(kExitDone);
        });
        connect(&runner, &SweepRunner::stopped, this, [&](int pass, int index) {
            m_link.close();
            m_console.err(QStringLiteral("vantrel-ctl: interrupted; ") + report.howFar(pass, index));
            QCoreApplication::exit(kExitInterrupted);
        });
        connect(&runner, &SweepRunner::failed, this, [&](const QString& reason, const QString& lastLine) {
            m_console.err(QStringLiteral("vantrel-ctl: %1; the last line out was %2 (%3)")
                              .arg(reason, lastLine.isEmpty() ? QStringLiteral("none") : lastLine,
                                   report.current()));
            QCoreApplication::exit(kExitFailed);
        });
        sinceStart.start();
        runner.start(std::move(steps), options);
        const int status = QCoreApplication::exec();
        m_console.clearProgress();
        return status;
    }

private:
    void showBoardText(const QString& text)
    {
        const QString lines = QString::fromStdString(withLineFeeds(text.toStdString()));
        for (const QString& line : lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            m_console.err(QStringLiteral("board: ") + line);
    }

    void failOnTheWire()
    {
        const QString last = shownLine(m_commands.lastLineSent());
        m_console.err(QStringLiteral("vantrel-ctl: %1; the last line out was %2")
                          .arg(m_lostReason.isEmpty() ? QStringLiteral("the port refused a line") : m_lostReason,
                               last.isEmpty() ? QStringLiteral("none") : last));
        QCoreApplication::exit(kExitFailed);
    }

    const CtlRequest& m_request;
    Console& m_console;
    SerialLink m_link;
    BoardCommands m_commands;
    QString m_lostReason;
};

void showChipLimits(Console& console, const PlanSession& plan)
{
    for (const ChipLimitBreak& item : chipLimits(plan))
        console.err(QStringLiteral("chip: ") + QString::fromStdString(item.text()));
    for (const std::string& advice : chipAdviceOf(plan))
        console.err(QStringLiteral("advice: ") + QString::fromStdString(advice));
}

int setOrStore(const CtlRequest& request, Console& console, BoardCommands::Command command)
{
    const PlanSession plan = runPlanRequest(request.plan);
    showChipLimits(console, plan);
    if (plan.result().outcome != PlanOutcome::Complete) {
        console.err(QStringLiteral("vantrel-ctl: nothing sent: ") + QString::fromStdString(planProblem(plan)));
        return kExitFailed;
    }
    if (request.plan.strict && !chipLimits(plan).empty()) {
        console.err(QStringLiteral("vantrel-ctl: nothing sent: the plan breaks a chip limit (--strict)"));
        return kExitChipLimit;
    }
    BoardRun run(request, console);
    if (!run.openPort())
        return kExitFailed;
    return run.sendPlan(plan, command);
}

int read(const CtlRequest& request, Console& console)
{
    PlanSession session = runPlanRequest(request.plan);
    BoardRun run(request, console);
    if (!run.openPort())
        return kExitFailed;
    return run.read(session);
}

int sweep(const CtlRequest& request, Console& console)
{
    SweepPoints points;
    if (request.command == CtlRequest::Command::Sweep) {
        points = linearSweep(request.start, request.stop, request.step);
    } else {
        QFile file(request.hopFile);
        if (!file.open(QIODevice::ReadOnly)) {
            console.err(QStringLiteral("vantrel-ctl: cannot read %1: %2").arg(request.hopFile, file.errorString()));
            return kExitFailed;
        }
        points = parseHopList(file.readAll().toStdString());
        if (!points.ok())
            points.error = request.hopFile.toStdString() + ": " + points.error;
    }
    if (!points.ok()) {
        console.err(QStringLiteral("vantrel-ctl: ") + QString::fromStdString(points.error));
        return kExitFailed;
    }

    // Every step is planned before the port is opened: a bad one ends the
    // sweep before anything is sent, unless it is to be skipped.
    std::vector<SweepStepPlan> planned =
        planSweep(points.points, request.plan.settings, request.plan.presses, request.plan.strict);
    std::vector<SweepStepPlan> usable;
    for (std::size_t i = 0; i < planned.size(); ++i) {
        const SweepStepPlan& step = planned[i];
        if (step.usable()) {
            usable.push_back(step);
            continue;
        }
        const QString where = StepReport::where(step, static_cast<int>(i), static_cast<int>(planned.size()));
        if (!request.skipBad) {
            console.err(QStringLiteral("vantrel-ctl: %1: %2; nothing sent").arg(where, QString::fromStdString(step.problem)));
            return kExitFailed;
        }
        console.err(QStringLiteral("vantrel-ctl: skipped %1: %2").arg(where, QString::fromStdString(step.problem)));
    }
    if (usable.empty()) {
        console.err(QStringLiteral("vantrel-ctl: no step left to send"));
        return kExitFailed;
    }
    BoardRun run(request, console);
    if (!run.openPort())
        return kExitFailed;
    return run.sweep(usable, {request.changedOnly, request.passes});
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-ctl"));
    Console console;

    const ParsedCtlCommandLine parsed = parseCtlCommandLine(QCoreApplication::arguments());
    if (!parsed.request) {
        if (parsed.usageError) {
            console.err(QStringLiteral("vantrel-ctl: ") + parsed.message + QStringLiteral("\nTry 'vantrel-ctl --help'."));
            return kExitUsage;
        }
        console.out(parsed.message.toUtf8());
        return kExitDone;
    }
    const CtlRequest& request = *parsed.request;
    switch (request.command) {
    case CtlRequest::Command::ListPorts: {
        const QList<ListedPort> ports = listedPorts();
        QByteArray text;
        for (qsizetype i = 0; i < ports.size(); ++i)
            text += QStringLiteral("%1: %2  %3\n").arg(i + 1).arg(ports[i].portName, ports[i].systemLocation).toLocal8Bit();
        if (ports.isEmpty())
            console.err(QStringLiteral("vantrel-ctl: the system lists no serial port"));
        console.out(text);
        return kExitDone;
    }
    case CtlRequest::Command::Set: return setOrStore(request, console, BoardCommands::Command::SendAll);
    case CtlRequest::Command::Store: return setOrStore(request, console, BoardCommands::Command::WriteAll);
    case CtlRequest::Command::Read: return read(request, console);
    case CtlRequest::Command::Sweep:
    case CtlRequest::Command::Hop: return sweep(request, console);
    }
    return kExitFailed;
}
