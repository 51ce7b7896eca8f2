#include "board_commands.h"

#include "command_lines.h"
#include "serial_link.h"

namespace vantrel {

BoardCommands::BoardCommands(SerialLink& link, QObject* parent)
    : QObject(parent)
    , m_link(link)
    , m_sender([&link](const QByteArray& bytes) { return link.write(bytes); })
{
    connect(&m_initTimer, &MinimumTimer::timeout, this, &BoardCommands::initTimedOut);
    connect(&m_sender, &PacedSender::finished, this, &BoardCommands::onSenderFinished);
    connect(&m_sender, &PacedSender::aborted, this, &BoardCommands::onSenderStopped);
    connect(&m_sender, &PacedSender::writeFailed, this, &BoardCommands::onSenderStopped);
    connect(&m_link, &SerialLink::decodeRequested, this, &BoardCommands::onDecodeRequested);
    connect(&m_link, &SerialLink::portLost, this, &BoardCommands::onPortLost);
}

bool BoardCommands::sendAll(const RegisterSet& set) { return startCommand(Command::SendAll, sendAllLines(set)); }

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

void BoardCommands::onSenderStopped()
{
    m_initTimer.stop();
    emit busyChanged(false);
    emit aborted(m_command);
}

void BoardCommands::onDecodeRequested(const RegisterSet&) { m_initTimer.stop(); }

void BoardCommands::onPortLost()
{
    // Without a port no answer can come: the INIT wait ends with the loss.
    m_initTimer.stop();
    m_sender.abort();
}

} // namespace vantrel
