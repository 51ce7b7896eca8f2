// vantrel-scpi: the board as a bench instrument. Holds the board's port and
// answers SCPI over TCP, planning with the control panel's own plan and
// sending with its pacing and sweep engine.
#include <QCoreApplication>

#include <cstdio>
#include <memory>

#include "interrupt_watch.h"
#include "scpi_instrument.h"
#include "scpi_options.h"
#include "scpi_server.h"
#include "virtual_board_process.h"

namespace {

using namespace vantrel;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void say(const QString& line)
{
    const QByteArray bytes = QStringLiteral("vantrel-scpi: %1\n").arg(line).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

QString shownAddress(const QHostAddress& address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(address.toString())
                             : address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-scpi"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));

    const ParsedScpiCommandLine parsed = parseScpiCommandLine(QCoreApplication::arguments());
    if (!parsed.request) {
        if (parsed.usageError) {
            say(parsed.message + QStringLiteral("\nTry 'vantrel-scpi --help'."));
            return kExitUsage;
        }
        const QByteArray text = parsed.message.toUtf8();
        std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
        return 0;
    }
    const ScpiRequest& request = *parsed.request;
    for (const QString& note : request.plan.notes)
        say(note);
    // From here a signal no longer ends the program by itself: the set or
    // step under way on the wire finishes first.
    InterruptWatch interrupts;

    std::unique_ptr<VirtualBoardProcess> board;
    QString portText = request.port;
    if (request.virtualBoard) {
        board = std::make_unique<VirtualBoardProcess>();
        if (!board->start()) {
            say(board->error());
            return kExitFailed;
        }
        portText = board->device();
    }
    ScpiInstrument instrument({request.plan.settings, request.plan.presses, portText, portText});
    QString error;
    if (!instrument.openPort(error)) {
        say(error);
        return kExitFailed;
    }
    ScpiServer server(instrument);
    if (!server.listen(request.address, request.tcpPort, error)) {
        say(QStringLiteral("cannot listen on %1: %2").arg(shownAddress(request.address, request.tcpPort), error));
        return kExitFailed;
    }
    say(QStringLiteral("listening on %1; the board's port is %2%3")
            .arg(shownAddress(server.address(), server.port()), portText,
                 request.virtualBoard ? QStringLiteral(" (the virtual board)") : QString()));
    if (InterruptWatch::firstSignal() != 0)
        return 0;

    int signalled = 0;
    const auto endWhenIdle = [&] {
        if (signalled != 0 && instrument.wireIdle())
            QCoreApplication::exit(0);
    };
    QObject::connect(&instrument, &ScpiInstrument::changed, &app, endWhenIdle);
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &app, [&](int signalNumber) {
        if (signalled != 0) {
            const QStringList left = instrument.unsentLines();
            say(QStringLiteral("%1 again: ended at once; not sent: %2")
                    .arg(InterruptWatch::signalName(signalNumber),
                         left.isEmpty() ? QStringLiteral("none") : left.join(QLatin1Char(' '))));
            QCoreApplication::exit(InterruptWatch::exitStatus(signalNumber));
            return;
        }
        signalled = signalNumber;
        say(QStringLiteral("%1: ending once the set or sweep step under way has gone out whole (a second "
                           "signal ends at once)")
                .arg(InterruptWatch::signalName(signalNumber)));
        server.stop();
        instrument.shutDown();
        endWhenIdle();
    });
    return QCoreApplication::exec();
}
