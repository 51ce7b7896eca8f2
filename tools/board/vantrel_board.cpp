// vantrel-board: a virtual synthesizer board on a pseudo-terminal (or a real
// serial device), for trying the control panel and its link without hardware.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>

#include "board_port.h"
#include "virtual_board.h"

namespace {

using vantrel::BoardPort;
using vantrel::VirtualBoard;

// At 9600 baud a 12-byte line takes 12.5 ms; leaving a gap makes each reply
// line arrive in a read of its own, unlike --burst.
constexpr std::chrono::milliseconds kReplyLineGap{20};
constexpr char kDefaultUserData[] = "VBOARD01";

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QString logLine(const VirtualBoard::Received& received)
{
    const QString gap = received.sincePrevious
        ? QString::number(std::chrono::duration<double, std::milli>(*received.sincePrevious).count(), 'f', 1)
        : QStringLiteral("-");
    return QStringLiteral("%1 s gap %2 ms: %3").arg(QString::number(received.secondsSinceStart, 'f', 4), gap, received.line);
}

class BoardApp : public QObject {
public:
    BoardApp(BoardPort& port, VirtualBoard& board, bool burst, bool log, QString eepromFile)
        : m_port(port), m_board(board), m_burst(burst), m_log(log), m_eepromFile(std::move(eepromFile))
    {
        connect(&m_port, &BoardPort::received, this, &BoardApp::onReceived);
        connect(&m_port, &BoardPort::closed, this, &BoardApp::onClosed);
        m_replyTimer.setTimerType(Qt::PreciseTimer);
        connect(&m_replyTimer, &QTimer::timeout, this, &BoardApp::sendNextReply);
    }

    void send(const QList<QByteArray>& lines)
    {
        if (m_burst) {
            QByteArray all;
            for (const QByteArray& line : lines)
                all += line;
            writeOrWarn(all);
            return;
        }
        m_queue.append(lines);
        if (!m_replyTimer.isActive())
            sendNextReply();
    }

private:
    void onReceived(const QByteArray& bytes)
    {
        const VirtualBoard::Reaction reaction = m_board.feed(bytes, VirtualBoard::Clock::now());
        if (m_log) {
            for (const VirtualBoard::Received& received : reaction.lines)
                print(stdout, logLine(received));
            for (qsizetype i = 0; i < reaction.applied.size(); ++i) {
                print(stdout, QStringLiteral("chip: ") + reaction.applied.at(i));
                print(stdout, QStringLiteral("options: ") + reaction.appliedOptions.at(i));
            }
        }
        for (const QString& warning : reaction.warnings)
            print(stderr, QStringLiteral("warning: ") + warning);
        if (reaction.eepromChanged)
            saveEeprom();
        send(reaction.replies);
    }

    void sendNextReply()
    {
        if (m_queue.isEmpty()) {
            m_replyTimer.stop();
            return;
        }
        writeOrWarn(m_queue.takeFirst());
        if (!m_queue.isEmpty() && !m_replyTimer.isActive())
            m_replyTimer.start(kReplyLineGap);
    }

    void writeOrWarn(const QByteArray& bytes)
    {
        if (!m_port.write(bytes))
            print(stderr, QStringLiteral("warning: could not send %1 bytes").arg(bytes.size()));
    }

    void saveEeprom()
    {
        if (m_eepromFile.isEmpty())
            return;
        QSaveFile file(m_eepromFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(vantrel::eepromText(m_board.eeprom())) < 0 || !file.commit())
            print(stderr, QStringLiteral("warning: cannot save the EEPROM image to %1: %2").arg(m_eepromFile, file.errorString()));
    }

    void onClosed(const QString& reason)
    {
        print(stderr, QStringLiteral("vantrel-board: the line is gone (%1)").arg(reason));
        QCoreApplication::exit(1);
    }

    BoardPort& m_port;
    VirtualBoard& m_board;
    bool m_burst;
    bool m_log;
    QString m_eepromFile;
    QList<QByteArray> m_queue;
    QTimer m_replyTimer;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-board"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    // A panel that closes its end must not kill the board with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A virtual synthesizer board. It opens a pseudo-terminal and prints its path on the first line\n"
        "(\"Board ready on /dev/pts/N\"): type that path into the control panel's COM box.\n"
        "Lines it understands, each ended by CR LF: \"R\" + eight hex digits sets the working register\n"
        "named by the word's low three bits; \"W\" stores the last \"R\" word in the EEPROM image;\n"
        "\"INIT\" answers \"0X\" + eight hex digits + CR LF for each stored word, Reg5 first, Reg0 last;\n"
        "\"U\" answers \"Udata{TEXT}\". Lines that arrive less than 100 ms apart are warned about on stderr,\n"
        "less a tolerance of 10 ms: a line is timed when it is read here, which a loaded machine delays.\n"
        "With --log, each Reg0 word also prints the setting the chip then runs with (\"chip: INT 232, ...\")\n"
        "and every chip option of the set (\"options: phase adjust off, ...\").\n"
        "Until something is stored, the EEPROM image holds a set for 2320.5 MHz from a 10 MHz\n"
        "reference in 2500 Hz steps (00740640 0800FD01 18004E42 00000003 0085003C 00580005)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption deviceOption(QStringLiteral("device"), QStringLiteral("Use the serial device <path> (9600 baud, 8N1) instead of a pseudo-terminal."), QStringLiteral("path"));
    const QCommandLineOption burstOption(QStringLiteral("burst"), QStringLiteral("Answer INIT in one write, all lines at once, as a UART with a FIFO does."));
    const QCommandLineOption eepromOption(QStringLiteral("eeprom"), QStringLiteral("Load the EEPROM image from <file> when it exists and save it after every W. One line per register: \"Reg0 00740640\"."), QStringLiteral("file"));
    const QCommandLineOption udataOption(QStringLiteral("udata"), QStringLiteral("Send \"Udata{<text>}\" once at start, and on every \"U\" line (default text %1).").arg(QString::fromLatin1(kDefaultUserData)), QStringLiteral("text"));
    const QCommandLineOption logOption(QStringLiteral("log"), QStringLiteral("Print each received line on stdout: seconds since start, milliseconds since the previous line, the line."));
    parser.addOptions({deviceOption, burstOption, eepromOption, udataOption, logOption});
    parser.process(app);

    VirtualBoard board(parser.isSet(udataOption) ? parser.value(udataOption) : QString::fromLatin1(kDefaultUserData));
    const QString eepromFile = parser.value(eepromOption);
    if (!eepromFile.isEmpty() && QFile::exists(eepromFile)) {
        QFile file(eepromFile);
        const std::optional<vantrel::RegisterSet> set =
            file.open(QIODevice::ReadOnly) ? vantrel::parseEepromText(file.readAll()) : std::nullopt;
        if (!set) {
            print(stderr, QStringLiteral("vantrel-board: %1 does not hold six registers (\"Reg0 00740640\" lines)").arg(eepromFile));
            return 2;
        }
        board.setEeprom(*set);
    }

    BoardPort port;
    const bool opened = parser.isSet(deviceOption) ? port.openDevice(parser.value(deviceOption)) : port.openPseudoTerminal();
    if (!opened) {
        print(stderr, QStringLiteral("vantrel-board: ") + port.errorString());
        return 1;
    }
    BoardApp boardApp(port, board, parser.isSet(burstOption), parser.isSet(logOption), eepromFile);
    print(stdout, QStringLiteral("Board ready on ") + port.peerPath());
    if (parser.isSet(udataOption))
        boardApp.send({board.userDataLine()});
    return app.exec();
}
