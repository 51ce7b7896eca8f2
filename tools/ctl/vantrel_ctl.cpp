// vantrel-ctl: the control panel's board commands from a shell, with the
// window's own plan, pacing and decode, and the sweeps and hop lists that no
// window button offers.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "board_commands.h"
#include "command_lines.h"
#include "ctl_options.h"
#include "echoed_text.h"
#include "hop_file.h"
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
constexpr int kExitBadSet = 5;

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

// What the board sent, as Latin-1 bytes, echoed: escaped and cut.
QString boardText(const QString& text)
{
    return QString::fromLatin1(echoedText(text.toLatin1().toStdString(), kEchoedInputChars));
}

QString listed(const QStringList& lines) { return lines.isEmpty() ? QStringLiteral("none") : lines.join(QLatin1Char(' ')); }

// One line of JSON per object, so that a reader can take them line by line.
QByteArray jsonLine(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n'; }

// Everything the program says goes through here, so that a progress line on
// a terminal is wiped before anything else is written below it, and so that
// standard output that cannot be written is noticed.
class Console {
public:
    // False, with the reason kept, when standard output refused the bytes.
    bool out(const QByteArray& bytes)
    {
        clearProgress();
        if (!m_outError.isEmpty())
            return false;
        errno = 0;
        const bool written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout)
                                 == static_cast<std::size_t>(bytes.size())
                             && std::fflush(stdout) == 0;
        if (!written)
            m_outError = QStringLiteral("cannot write to standard output: %1")
                             .arg(errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("write error"));
        return written;
    }
    bool outFailed() const { return !m_outError.isEmpty(); }
    const QString& outError() const { return m_outError; }

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
    QString m_outError;
};

// The exit status for what was printed last: 1 when standard output failed.
int afterOutput(Console& console, int status)
{
    if (!console.outFailed())
        return status;
    console.err(QStringLiteral("vantrel-ctl: ") + console.outError());
    return kExitFailed;
}

// One command against the board, from opening the port to the exit status.
class BoardRun : public QObject {
public:
    BoardRun(const CtlRequest& request, Console& console, InterruptWatch& interrupts)
        : m_request(request), m_console(console), m_interrupts(interrupts), m_commands(m_link)
    {
        connect(&m_link, &SerialLink::userData, this,
                [this](const QString& text) { m_console.err(QStringLiteral("board: user data ") + boardText(text)); });
        connect(&m_link, &SerialLink::registerWord, this, [this](int, quint32, const QString& line) {
            m_console.err(QStringLiteral("board: ") + line.trimmed());
        });
    }

    // Opens the port the request names; false (and the reason said) otherwise.
    bool openPort()
    {
        const PortTarget target = choosePort(m_request.port);
        if (!target.chosen) {
            m_console.err(QStringLiteral("vantrel-ctl: --port %1 names no port").arg(echoed(m_request.port)));
            return false;
        }
        if (!target.canOpen()) {
            m_console.err(QStringLiteral("vantrel-ctl: ") + escaped(target.error));
            return false;
        }
        const OpenOutcome outcome = m_link.open(target.device);
        if (!outcome.opened)
            m_console.err(QStringLiteral("vantrel-ctl: ") + escaped(outcome.message));
        return outcome.opened;
    }

    // set and store: a signal lets the set under way finish, so the board
    // (and its EEPROM) never keeps half of one; a second ends at once.
    int sendPlan(const PlanSession& plan, BoardCommands::Command command)
    {
        const std::vector<std::string> lines = command == BoardCommands::Command::SendAll
                                                   ? sendAllLines(plan.plan().registers)
                                                   : writeAllLines(plan.plan().registers);
        int signalled = 0;
        connect(&m_interrupts, &InterruptWatch::interrupted, this, [&](int signalNumber) {
            if (signalled == 0) {
                signalled = signalNumber;
                m_console.err(QStringLiteral("vantrel-ctl: %1: finishing the set under way, so that the board "
                                             "holds it whole (a second signal ends at once)")
                                  .arg(InterruptWatch::signalName(signalNumber)));
                return;
            }
            const QStringList left = shownLines(lines).mid(static_cast<qsizetype>(m_commands.linesSent()));
            m_link.close();
            m_console.err(QStringLiteral("vantrel-ctl: %1 again: stopped at once; not sent: %2")
                              .arg(InterruptWatch::signalName(signalNumber), listed(left)));
            QCoreApplication::exit(InterruptWatch::exitStatus(signalled));
        });
        connect(&m_commands, &BoardCommands::finished, this, [&](auto, const QString& reply) {
            showBoardText(reply);
            if (m_request.plan.json) {
                QJsonObject object = planObject(plan);
                object.insert(QStringLiteral("sent"), QJsonArray::fromStringList(shownLines(lines)));
                m_console.out(jsonLine(object));
            } else {
                m_console.out(QByteArray::fromStdString(planText(plan)));
            }
            int status = afterOutput(m_console, kExitDone);
            if (signalled != 0) {
                m_console.err(QStringLiteral("vantrel-ctl: interrupted by %1 once the set had gone out whole")
                                  .arg(InterruptWatch::signalName(signalled)));
                status = InterruptWatch::exitStatus(signalled);
            }
            QCoreApplication::exit(status);
        });
        connect(&m_commands, &BoardCommands::aborted, this,
                [this](auto, const QString& reason) { failOnTheWire(reason); });
        if (command == BoardCommands::Command::SendAll)
            m_commands.sendAll(plan.plan().registers);
        else
            m_commands.writeAll(plan.plan().registers);
        return QCoreApplication::exec();
    }

    int read(PlanSession& session)
    {
        connect(&m_interrupts, &InterruptWatch::interrupted, this, [this](int signalNumber) {
            // INIT is one line, out whole before anything else runs.
            m_link.close();
            m_console.err(QStringLiteral("vantrel-ctl: interrupted by %1 while waiting for the board's set")
                              .arg(InterruptWatch::signalName(signalNumber)));
            QCoreApplication::exit(InterruptWatch::exitStatus(InterruptWatch::firstSignal()));
        });
        connect(&m_link, &SerialLink::decodeRequested, this, [this, &session](const RegisterSet& set) {
            showBoardText(m_link.takePendingText());
            m_link.close();
            if (const std::string bad = notAWholeSet(set); !bad.empty()) {
                m_console.err(QStringLiteral("vantrel-ctl: ") + QString::fromStdString(bad));
                QCoreApplication::exit(kExitBadSet);
                return;
            }
            // Words that give no plan would print the plan of the options
            // instead of the board's.
            if (const std::string bad = decodeProblem(set, session.settings().frText); !bad.empty()) {
                m_console.err(QStringLiteral("vantrel-ctl: the set read back gives no plan: ") + QString::fromStdString(bad));
                QCoreApplication::exit(kExitBadSet);
                return;
            }
            const std::string said = readBackText(session, loadRegisterSet(session, set));
            if (!said.empty())
                m_console.err(QStringLiteral("vantrel-ctl: ") + QString::fromStdString(said));
            if (m_request.plan.json) {
                QJsonObject object = planObject(session);
                addReadBack(object, session, set);
                m_console.out(jsonLine(object));
            } else {
                m_console.out(QByteArray::fromStdString(planText(session)));
            }
            const int status = afterOutput(m_console, kExitDone);
            const bool complete = session.result().outcome == PlanOutcome::Complete;
            QCoreApplication::exit(status == kExitDone && !complete ? kExitBadSet : status);
        });
        connect(&m_commands, &BoardCommands::initTimedOut, this, [this] {
            showBoardText(m_link.takePendingText());
            m_console.err(QStringLiteral("vantrel-ctl: ") + QString::fromLatin1(kNoRegisterSetText));
            QCoreApplication::exit(kExitNoSet);
        });
        connect(&m_commands, &BoardCommands::aborted, this,
                [this](auto, const QString& reason) { failOnTheWire(reason); });
        m_commands.init();
        return QCoreApplication::exec();
    }

    // A stop (a signal, or standard output gone) ends once the step under way
    // has gone out whole, Reg0 last; a second signal ends at once.
    int sweep(const std::vector<SweepStepPlan>& planned, int points, SweepRunner::Options options)
    {
        std::vector<SweepStep> steps = SweepRunner::stepsOf(planned, m_request.dwell);
        SweepRunner runner(m_link);
        QElapsedTimer sinceStart;
        StepReport report(planned, points, options.passes);
        int signalled = 0;
        connect(&m_interrupts, &InterruptWatch::interrupted, this, [&](int signalNumber) {
            if (signalled == 0) {
                signalled = signalNumber;
                if (!m_console.outFailed()) {
                    m_console.err(QStringLiteral("vantrel-ctl: %1: ending once the step under way has gone out "
                                                 "whole (a second signal ends at once)")
                                      .arg(InterruptWatch::signalName(signalNumber)));
                    runner.stop();
                }
                return;
            }
            const QStringList left = runner.unsentLines();
            const QString in = report.current();
            runner.abandon();
            m_link.close();
            m_console.err(QStringLiteral("vantrel-ctl: %1 again: stopped at once in %2; not sent of it: %3")
                              .arg(InterruptWatch::signalName(signalNumber), in, listed(left)));
            QCoreApplication::exit(InterruptWatch::exitStatus(signalled));
        });
        connect(&runner, &SweepRunner::stepStarted, this,
                [&](int pass, int index, const QStringList&, std::chrono::nanoseconds at) {
                    showBoardText(m_link.takePendingText());
                    report.started(pass, index, at);
                    m_console.progress(report.progressLine());
                });
        connect(&runner, &SweepRunner::stepSent, this,
                [&](int pass, int index, const QStringList& lines, std::chrono::nanoseconds at) {
                    report.sent(pass, index, lines, at);
                    const bool wasFailed = m_console.outFailed();
                    m_console.out(m_request.plan.json ? report.jsonLine() : report.textLine());
                    // Nobody hears of the steps any more: end as a signal would.
                    if (m_console.outFailed() && !wasFailed && signalled == 0)
                        runner.stop();
                    else
                        m_console.progress(report.progressLine());
                });
        connect(&runner, &SweepRunner::finished, this, [&] {
            showBoardText(m_link.takePendingText());
            m_console.err(report.summary(sinceStart.nsecsElapsed()));
            QCoreApplication::exit(afterOutput(m_console, kExitDone));
        });
        connect(&runner, &SweepRunner::stopped, this, [&](int pass, int index) {
            m_link.close();
            if (signalled != 0) {
                m_console.err(QStringLiteral("vantrel-ctl: interrupted by %1; %2")
                                  .arg(InterruptWatch::signalName(signalled), report.howFar(pass, index)));
                QCoreApplication::exit(InterruptWatch::exitStatus(signalled));
                return;
            }
            m_console.err(QStringLiteral("vantrel-ctl: %1; %2").arg(m_console.outError(), report.howFar(pass, index)));
            QCoreApplication::exit(kExitFailed);
        });
        connect(&runner, &SweepRunner::failed, this,
                [&](const QString& reason, const QString& lastLine, const QStringList& partStep) {
                    QString text = QStringLiteral("vantrel-ctl: %1; the last line out was %2 (%3)")
                                       .arg(reason, lastLine.isEmpty() ? QStringLiteral("none") : lastLine,
                                            report.current());
                    if (!partStep.isEmpty())
                        text += QStringLiteral("; of that step only %1 went out").arg(partStep.join(QLatin1Char(' ')));
                    m_console.err(text);
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
            m_console.err(QStringLiteral("board: ") + boardText(line));
    }

    void failOnTheWire(const QString& reason)
    {
        const QString last = shownLine(m_commands.lastLineSent());
        m_console.err(QStringLiteral("vantrel-ctl: %1; the last line out was %2")
                          .arg(reason, last.isEmpty() ? QStringLiteral("none") : last));
        QCoreApplication::exit(kExitFailed);
    }

    const CtlRequest& m_request;
    Console& m_console;
    InterruptWatch& m_interrupts;
    SerialLink m_link;
    BoardCommands m_commands;
};

void showChipLimits(Console& console, const PlanSession& plan)
{
    for (const ChipLimitBreak& item : chipLimits(plan))
        console.err(QStringLiteral("chip: ") + QString::fromStdString(item.text()));
    for (const std::string& advice : chipAdviceOf(plan))
        console.err(QStringLiteral("advice: ") + QString::fromStdString(advice));
}

// A signal that came before anything was sent ends the program with nothing sent.
std::optional<int> signalledBeforeSending(Console& console)
{
    const int signalNumber = InterruptWatch::firstSignal();
    if (signalNumber == 0)
        return std::nullopt;
    console.err(QStringLiteral("vantrel-ctl: interrupted by %1; nothing sent").arg(InterruptWatch::signalName(signalNumber)));
    return InterruptWatch::exitStatus(signalNumber);
}

int setOrStore(const CtlRequest& request, Console& console, InterruptWatch& interrupts,
               BoardCommands::Command command)
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
    BoardRun run(request, console, interrupts);
    if (!run.openPort())
        return kExitFailed;
    if (const std::optional<int> status = signalledBeforeSending(console))
        return *status;
    return run.sendPlan(plan, command);
}

int read(const CtlRequest& request, Console& console, InterruptWatch& interrupts)
{
    PlanSession session = runPlanRequest(request.plan);
    BoardRun run(request, console, interrupts);
    if (!run.openPort())
        return kExitFailed;
    if (const std::optional<int> status = signalledBeforeSending(console))
        return *status;
    return run.read(session);
}

// Without a port: the steps and the lines each would send, one pass.
int dryRun(const CtlRequest& request, Console& console, const std::vector<SweepStepPlan>& usable, int points)
{
    StepReport report(usable, points, request.passes);
    RegisterSet previous{};
    for (std::size_t i = 0; i < usable.size(); ++i) {
        if (const std::optional<int> status = signalledBeforeSending(console))
            return *status;
        const std::vector<std::string> lines =
            SweepRunner::stepLines(previous, usable[i].set, i == 0, request.changedOnly);
        previous = usable[i].set;
        if (!console.out(report.dryRunLine(static_cast<int>(i), shownLines(lines), request.plan.json)))
            break;
    }
    if (request.passes != 1 && request.changedOnly)
        console.err(QStringLiteral("vantrel-ctl: dry run: each further pass sends its first step as the words "
                                   "that changed from the last step"));
    return afterOutput(console, kExitDone);
}

int sweep(const CtlRequest& request, Console& console, InterruptWatch& interrupts)
{
    SweepPoints points;
    if (request.command == CtlRequest::Command::Sweep) {
        points = linearSweep(request.start, request.stop, request.step);
    } else {
        const HopFileReading file = readHopFile(request.hopFile, interrupts);
        const QString name = request.hopFile == QLatin1String("-") ? QStringLiteral("standard input") : echoed(request.hopFile);
        if (file.signalNumber != 0) {
            console.err(QStringLiteral("vantrel-ctl: interrupted by %1 while reading %2; nothing sent")
                            .arg(InterruptWatch::signalName(file.signalNumber), name));
            return InterruptWatch::exitStatus(file.signalNumber);
        }
        if (!file.text) {
            console.err(QStringLiteral("vantrel-ctl: cannot read %1: %2; nothing sent").arg(name, file.error));
            return kExitFailed;
        }
        points = parseHopList(*file.text);
        // An unreadable line is a step that cannot go out: --skip-bad leaves it out too.
        if (request.skipBad && points.onlyBadLines()) {
            for (const std::string& bad : points.badLines)
                console.err(QStringLiteral("vantrel-ctl: skipped %1: %2").arg(name, QString::fromStdString(bad)));
            points.error.clear();
        }
        if (!points.ok())
            points.error = name.toStdString() + ": " + points.error;
    }
    if (!points.ok()) {
        console.err(QStringLiteral("vantrel-ctl: ") + QString::fromStdString(points.error));
        // A range that is none is a usage error, as in vantrel-plan --scan; a bad hop list is not.
        return request.command == CtlRequest::Command::Sweep ? kExitUsage : kExitFailed;
    }

    // Every step is planned before the port is opened: a bad one ends the
    // sweep before anything is sent, unless it is to be skipped.
    const int count = static_cast<int>(points.count());
    std::vector<SweepStepPlan> planned =
        planSweep(points.points, request.plan.settings, request.plan.presses, request.plan.strict,
                  request.plan.loopBandwidth, request.plan.loop);
    std::vector<SweepStepPlan> usable;
    for (const SweepStepPlan& step : planned) {
        if (step.usable()) {
            usable.push_back(step);
            continue;
        }
        const QString where = StepReport::where(step, count);
        if (!request.skipBad) {
            console.err(QStringLiteral("vantrel-ctl: %1: %2; nothing sent").arg(where, QString::fromStdString(step.problem)));
            return kExitFailed;
        }
        console.err(QStringLiteral("vantrel-ctl: skipped %1: %2").arg(where, QString::fromStdString(step.problem)));
    }
    if (usable.empty()) {
        console.err(QStringLiteral("vantrel-ctl: no step left to send; nothing sent"));
        return kExitFailed;
    }
    // Planning a long list takes a while: a signal meanwhile ends it, dry run or not.
    if (const std::optional<int> status = signalledBeforeSending(console))
        return *status;
    if (request.dryRun)
        return dryRun(request, console, usable, count);
    BoardRun run(request, console, interrupts);
    if (!run.openPort())
        return kExitFailed;
    if (const std::optional<int> status = signalledBeforeSending(console))
        return *status;
    return run.sweep(usable, count, {request.changedOnly, request.passes});
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    Console console;

    const ParsedCtlCommandLine parsed = parseCtlCommandLine(QCoreApplication::arguments());
    if (!parsed.request) {
        if (parsed.usageError) {
            console.err(QStringLiteral("vantrel-ctl: ") + parsed.message + QStringLiteral("\nTry 'vantrel-ctl --help'."));
            return kExitUsage;
        }
        console.out(parsed.message.toUtf8());
        return afterOutput(console, kExitDone);
    }
    const CtlRequest& request = *parsed.request;
    for (const QString& note : request.plan.notes)
        console.err(QStringLiteral("vantrel-ctl: ") + note);
    // From here a signal no longer ends the program by itself: what is under
    // way on the wire finishes first.
    InterruptWatch interrupts;
    switch (request.command) {
    case CtlRequest::Command::ListPorts: {
        const QList<ListedPort> ports = listedPorts();
        QByteArray text;
        for (qsizetype i = 0; i < ports.size(); ++i)
            text += QStringLiteral("%1: %2  %3\n").arg(i + 1).arg(ports[i].portName, ports[i].systemLocation).toLocal8Bit();
        if (ports.isEmpty())
            console.err(QStringLiteral("vantrel-ctl: the system lists no serial port"));
        console.out(text);
        return afterOutput(console, kExitDone);
    }
    case CtlRequest::Command::Set: return setOrStore(request, console, interrupts, BoardCommands::Command::SendAll);
    case CtlRequest::Command::Store: return setOrStore(request, console, interrupts, BoardCommands::Command::WriteAll);
    case CtlRequest::Command::Read: return read(request, console, interrupts);
    case CtlRequest::Command::Sweep:
    case CtlRequest::Command::Hop: return sweep(request, console, interrupts);
    }
    return kExitFailed;
}
