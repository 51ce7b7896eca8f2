// The three board commands on top of a SerialLink: paces their lines, keeps
// them from overlapping on the wire, ends them when the port is lost, and
// gives up waiting for a read-back set after kInitTimeout.
#pragma once

#include <QObject>
#include <QString>

#include <chrono>

#include "minimum_timer.h"
#include "paced_sender.h"
#include "register_layout.h"

namespace vantrel {

class SerialLink;

// The line the window adds to Text1 when a read-back brought no set.
inline constexpr char kNoRegisterSetText[] = "No register set received from the board";

class BoardCommands : public QObject {
    Q_OBJECT
public:
    enum class Command { SendAll, WriteAll, Init };
    Q_ENUM(Command)

    // A board answers INIT within a fraction of a second; this is generous.
    static constexpr std::chrono::seconds kInitTimeout{3};

    explicit BoardCommands(SerialLink& link, QObject* parent = nullptr);

    // Each takes the set as it is now and returns false (sending nothing)
    // while another command is pacing or the port is closed.
    bool sendAll(const RegisterSet& set);
    // As sendAll, but only the words that differ from `previous`, Reg0 last
    // (the chip takes the set on Reg0); false, and nothing sent, when none do.
    bool sendChanged(const RegisterSet& previous, const RegisterSet& set);
    bool writeAll(const RegisterSet& set);
    bool init();

    // True from a command's start until its last pause has passed or it was cut short.
    bool isBusy() const { return m_sender.isBusy(); }
    // True from the INIT request until a set (or an answer that is none)
    // came or the wait times out.
    bool isInitPending() const { return m_initTimer.isActive(); }
    // The last line that went out whole, CR LF included; empty before any.
    const std::string& lastLineSent() const { return m_sender.lastWritten(); }
    // How many lines of the last command went out whole.
    std::size_t linesSent() const { return m_sender.writtenCount(); }

signals:
    // busy: the command buttons should be disabled.
    void busyChanged(bool busy);
    // The command's last pause has passed. For SendAll and WriteAll,
    // replyText is the text the board sent meanwhile that carried no
    // register word (it replaces Text1); for Init it is empty.
    void finished(vantrel::BoardCommands::Command command, const QString& replyText);
    // The port was lost or refused a write while the command was pacing,
    // or was lost while the INIT answer was awaited. reason says which
    // ("Lost the port …: the device is no longer available").
    void aborted(vantrel::BoardCommands::Command command, const QString& reason);
    // kInitTimeout after the INIT request no set has been decoded.
    void initTimedOut();

private:
    bool startCommand(Command command, std::vector<std::string> lines);
    void onSenderFinished();
    void onSenderStopped(const QString& reason);
    void onDecodeRequested(const RegisterSet& set);
    void onPortLost(const QString& reason);

    SerialLink& m_link;
    PacedSender m_sender;
    // Never ends early: a board answering just inside the time is not cut off.
    MinimumTimer m_initTimer;
    Command m_command = Command::SendAll;
};

} // namespace vantrel
