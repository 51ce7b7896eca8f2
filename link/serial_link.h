// The serial port to the board: opening it with the board's line settings,
// writing command bytes, and turning whatever arrives into reply events. A
// port that fails once (adapter unplugged, board gone) is closed at once and
// reported a single time.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include <array>
#include <cstdint>

#include "reply_parser.h"

namespace vantrel {

// Said when the port took a line only in part, or not at all, while it
// stayed open; a port that went away says "Lost the port …" instead.
inline constexpr char kRefusedLineText[] = "the port refused a line";

struct OpenOutcome {
    bool opened = false;
    QString message; // why not, and what to do: "Cannot open /dev/ttyUSB0: permission denied. ..."
};

class SerialLink : public QObject {
    Q_OBJECT
public:
    explicit SerialLink(QObject* parent = nullptr);

    // 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control.
    // `device` is a port name ("COM3", "ttyUSB0") or a device path.
    OpenOutcome open(const QString& device);
    void close();
    bool isOpen() const;
    // The port last opened, as it was named to open(); kept after it closes.
    const QString& device() const { return m_device; }

    // False when the port is not open or refused the bytes.
    bool write(const QByteArray& bytes);
    // Bytes handed over that the port has not written out yet.
    qint64 bytesToWrite() const;

    // See ReplyParser::takePendingText; Latin-1 as received.
    QString takePendingText();
    const std::array<std::uint32_t, ReplyParser::kRegInSize>& regIn() const { return m_parser.regIn(); }
    int regCount() const { return m_parser.regCount(); }

signals:
    void userData(const QString& text);
    // text1Line is "Reg  5 580005" with CR LF, to be appended to Text1.
    void registerWord(int index, quint32 value, const QString& text1Line);
    // A Reg0 word completed a set: the words of Reg0..Reg5 as they stood
    // when that line was handled, for the receiver to decode now. Also an
    // answer with a word of register 6 or 7, as an erased EEPROM gives: its
    // own words, kNoWord where none came, which notAWholeSet refuses.
    void decodeRequested(const vantrel::RegisterSet& set);
    // Emitted once per opened port; the port is already closed.
    void portLost(const QString& reason);
    // The port opened, or closed for whatever reason (lost ones included).
    void openChanged(bool open);
    // Bytes about to be handed to the open port, as they go: for a monitor
    // of the wire, and for measuring the pacing where it starts.
    void writing(const QByteArray& bytes);
    // The port wrote bytes out; bytesToWrite() says whether any still wait.
    void bytesWritten();

private:
    void onReadyRead();
    void onErrorOccurred(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    ReplyParser m_parser;
    QString m_device; // for the message when the port is lost
    // Set between a successful open and the first failure, so that open
    // errors and the repeated errors of a hung-up port are not reported as losses.
    bool m_watching = false;
};

} // namespace vantrel
