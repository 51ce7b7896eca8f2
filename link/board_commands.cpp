#include "board_commands.h"

#include "command_lines.h"
#include "serial_link.h"

namespace vantrel {

BoardCommands::BoardCommands(SerialLink& link, QObject* parent)
    : QObject(parent)
    , m_link(link)
    , m_sender(link)
{
    connect(&m_initTimer, &MinimumTimer::timeout, this, &BoardCommands::initTimedOut);
    connect(&m_sender, &PacedSender::finished, this, &BoardCommands::onSenderFinished);
    // A port that goes away during a write reports the loss from inside it
    // (onPortLost); a failed write while it stays open is a refusal.
    connect(&m_sender, &PacedSender::writeFailed, this,
            [this] { onSenderStopped(QString::fromLatin1(kRefusedLineText)); });
    connect(&m_link, &SerialLink::decodeRequested, this, &BoardCommands::onDecodeRequested);
    connect(&m_link, &SerialLink::portLost, this, &BoardCommands::onPortLost);
}

bool BoardCommands::sendAll(const RegisterSet& set) { return startCommand(Command::SendAll, sendAllLines(set)); }

bool BoardCommands::sendChanged(const RegisterSet& previous, const RegisterSet& set)
{
    std::vector<std::string> lines = changedLines(previous, set);
    return !lines.empty() && startCommand(Command::SendAll, std::move(lines));
}

bool BoardCommands::writeAll(const RegisterSet& set) { return startCommand(Command::WriteAll, writeAllLines(set)); }

bool BoardCommands::init() { return startCommand(Command::Init, initLines()); }

bool BoardCommands::startCommand(Command command, std::vector<std::string> lines)
{
    if (m_sender.isBusy() || !m_link.isOpen())
        return false;
    m_command = command;
    emit busyChanged(true);
    // The wait for the answer counts from the request's hand-over.
    if (command == Command::Init)
        m_initTimer.start(kInitTimeout);
    // A refused first write stops the sender inside start(), which has
    // already reported it through onSenderStopped.
    m_sender.start(std::move(lines));
    return true;
}

void BoardCommands::onSenderFinished()
{
    const QString replyText = m_command == Command::Init ? QString() : m_link.takePendingText();
    emit busyChanged(false);
    emit finished(m_command, replyText);
}

void BoardCommands::onSenderStopped(const QString& reason)
{
    m_initTimer.stop();
    emit busyChanged(false);
    emit aborted(m_command, reason);
}

void BoardCommands::onDecodeRequested(const RegisterSet&) { m_initTimer.stop(); }

void BoardCommands::onPortLost(const QString& reason)
{
    if (m_sender.isBusy()) {
        m_sender.abort();
        onSenderStopped(reason);
        return;
    }
    // Without a port no answer can come: an INIT wait ends with the loss,
    // and says so, or whoever waits for the set would wait forever.
    if (m_initTimer.isActive())
        onSenderStopped(reason);
}

} // namespace vantrel
