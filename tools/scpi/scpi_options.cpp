#include "scpi_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace vantrel {

bool readListenAddress(const QString& text, QHostAddress& address, quint16& port)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    QString host = text.left(colon);
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok);
    if (!ok || number > 65535)
        return false;
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        address = QHostAddress(QHostAddress::LocalHost);
    } else if (!address.setAddress(host)) {
        return false;
    }
    port = static_cast<quint16>(number);
    return true;
}

ParsedScpiCommandLine parseScpiCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Holds the synthesizer board's serial port and answers SCPI over TCP, for test scripts (PyVISA:\n"
        "TCPIP::127.0.0.1::5025::SOCKET, lines ended by LF). It plans with the control panel's own plan\n"
        "and sends with its pacing; every plan starts from the plan options below (a settings file, the\n"
        "window's initial values otherwise), which *RST returns to. Frequencies in the options are in MHz,\n"
        "--resolution in Hz, or take a unit as in vantrel-ctl; in SCPI a frequency without a suffix is in Hz.\n\n"
        "It listens on the loopback address unless --listen names another. SIGINT or SIGTERM ends it once\n"
        "the set or sweep step under way has gone out whole (exit status 0); a second signal ends it at once.\n\n"
        "Exit status: 0 ended by a signal; 1 the port or the address could not be opened; 2 a usage error."));
    parser.addVersionOption();
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    parser.addOption(help);
    QStringList valueOptions = addPlanOptions(parser);
    parser.addOption(QCommandLineOption(
        QStringLiteral("port"),
        QStringLiteral("The board's serial port: a number picks the n-th port vantrel-ctl --list-ports shows "
                       "(COMn on Windows); a text starting with \"/\" is a device path."),
        QStringLiteral("PORT")));
    parser.addOption(QCommandLineOption(QStringLiteral("virtual"),
                                        QStringLiteral("Start vantrel-board, the virtual board, and hold its port "
                                                       "instead of a real one (Unix).")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("listen"),
        QStringLiteral("The address and TCP port to listen on (default 127.0.0.1:5025; port 0: one the system "
                       "chooses, said on stderr)."),
        QStringLiteral("HOST:PORT")));
    valueOptions << QStringLiteral("port") << QStringLiteral("listen");

    ParsedScpiCommandLine parsed;
    const auto fail = [&parsed](const QString& error) {
        parsed.message = error;
        parsed.usageError = true;
        return parsed;
    };
    if (!parser.parse(withoutOptionsBeforeSettings(arguments, valueOptions)))
        return fail(parser.errorText());
    if (std::optional<QString> text = helpOrVersionText(parser)) {
        parsed.message = *text;
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first()));
    if (parser.isSet(QStringLiteral("json")))
        return fail(QStringLiteral("--json is for vantrel-plan and vantrel-ctl; SCPI answers are text"));

    ScpiRequest request;
    if (const std::optional<QString> error = readPlanOptions(parser, request.plan, FrequencyTexts::WithUnits))
        return fail(*error);
    request.virtualBoard = parser.isSet(QStringLiteral("virtual"));
    request.port = parser.isSet(QStringLiteral("port")) ? parser.value(QStringLiteral("port"))
                                                        : QString::fromStdString(request.plan.portText);
    if (request.virtualBoard && parser.isSet(QStringLiteral("port")))
        return fail(QStringLiteral("--virtual and --port exclude each other"));
    if (!request.virtualBoard && request.port.isEmpty())
        return fail(QStringLiteral("give --port (or a settings file that names one), or --virtual"));
    if (parser.isSet(QStringLiteral("listen"))
        && !readListenAddress(parser.value(QStringLiteral("listen")), request.address, request.tcpPort))
        return fail(QStringLiteral("--listen %1: expected HOST:PORT, such as 127.0.0.1:5025")
                        .arg(parser.value(QStringLiteral("listen"))));
    parsed.request = request;
    return parsed;
}

} // namespace vantrel
