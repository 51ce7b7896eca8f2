// The control panel's side of the serial link: choosing and opening the
// port, the four board commands, and what the board sends back.
#include "control_panel.h"

#include <QTextCursor>

#include "board_commands.h"
#include "cut_write.h"
#include "line_end.h"
#include "message_sink.h"
#include "port_selection.h"
#include "register_decode.h"
#include "serial_link.h"
#include "shown_text.h"
#include "ui_control_panel.h"

using namespace vantrel;

void ControlPanel::connectBoardHandlers()
{
    Ui::ControlPanel& ui = *m_ui;
    connect(ui.SetCP, &QPushButton::clicked, this, &ControlPanel::setCPClick);
    connect(ui.SendAll, &QPushButton::clicked, this, &ControlPanel::sendAllClick);
    // Both buttons put the same bytes on the wire.
    connect(ui.SetAll, &QPushButton::clicked, this, &ControlPanel::sendAllClick);
    connect(ui.WriteAll, &QPushButton::clicked, this, &ControlPanel::writeAllClick);
    connect(ui.Init, &QPushButton::clicked, this, &ControlPanel::initClick);

    connect(&m_commands, &BoardCommands::busyChanged, this, &ControlPanel::commandBusy);
    connect(&m_commands, &BoardCommands::finished, this, &ControlPanel::commandFinished);
    connect(&m_commands, &BoardCommands::aborted, this, &ControlPanel::commandAborted);
    connect(&m_commands, &BoardCommands::initTimedOut, this, &ControlPanel::initTimedOut);
    connect(&m_link, &SerialLink::userData, ui.Udata, &QLineEdit::setText);
    connect(&m_link, &SerialLink::registerWord, this,
            [this](int, quint32, const QString& line) { registerWordReceived(line); });
    connect(&m_link, &SerialLink::decodeRequested, this, &ControlPanel::decodeRequested);
    connect(&m_link, &SerialLink::portLost, this, &ControlPanel::portLost);
    connect(&m_link, &SerialLink::openChanged, this, &ControlPanel::portOpenChanged);
}

void ControlPanel::refreshPortToolTip()
{
    if (kPlatformNaming == PortNaming::ListedPorts)
        m_portListTip = portListToolTip(listedPorts());
    showPortToolTip();
}

void ControlPanel::showPortToolTip()
{
    QStringList tip;
    // A path too long for the narrow box is read whole here, over the ports listed.
    QLineEdit* box = m_ui->CPNo;
    if (box->fontMetrics().horizontalAdvance(box->text()) > box->contentsRect().width() - 4)
        tip << box->text();
    if (!m_portListTip.isEmpty())
        tip << m_portListTip;
    box->setToolTip(tip.join(QStringLiteral("\n\n")));
}

void ControlPanel::setCPClick()
{
    const PortTarget target = choosePort(m_ui->CPNo->text());
    if (!target.chosen)
        return;
    m_ui->Text1->setPlainText(QString());
    m_ui->SetCP->hide();
    m_ui->CPNo->hide();
    if (!target.canOpen()) {
        showPortSelection(target.error);
        return;
    }
    const OpenOutcome outcome = m_link.open(target.device);
    if (!outcome.opened) {
        showPortSelection(outcome.message);
        return;
    }
    m_ui->SendAll->show();
    m_ui->WriteAll->show();
    m_ui->SetAll->show();
    m_ui->Init->show();
    emit statusMessage(QStringLiteral("Connected to %1").arg(m_link.device()));
}

// A port that cannot be opened, or that is lost, must not strand the window:
// say why and let another port be tried.
void ControlPanel::showPortSelection(const QString& why)
{
    appendToText1(why + QString::fromLatin1(kCrLf));
    for (QWidget* button : {m_ui->SendAll, m_ui->WriteAll, m_ui->SetAll, m_ui->Init})
        button->hide();
    refreshPortToolTip();
    m_ui->SetCP->show();
    m_ui->CPNo->show();
    m_ui->CPNo->end(false);
}

void ControlPanel::sendAllClick()
{
    if (!recalculateForSet(QStringLiteral("Set all Registers sent nothing")))
        return;
    // The set of this moment goes out, whatever the controls do meanwhile.
    m_commands.sendAll(m_plan.registers);
}

void ControlPanel::writeAllClick()
{
    if (!recalculateForSet(QStringLiteral("Write EE sent nothing")))
        return;
    m_writeAllSet = m_plan.registers;
    m_commands.writeAll(m_writeAllSet);
}

void ControlPanel::initClick()
{
    // The plan stops following the controls until the board's set is loaded.
    m_awaitingBoardSet = true;
    if (!m_commands.init())
        endInitWait();
}

void ControlPanel::commandBusy(bool busy)
{
    m_commandBusy = busy;
    updateBoardButtons();
}

void ControlPanel::holdBoardCommands(bool held)
{
    m_boardHeld = held;
    updateBoardButtons();
}

void ControlPanel::updateBoardButtons()
{
    // Commands never interleave on the wire, nor with a sweep; a sweep may
    // run with its window closed, so the buttons say why they are grey.
    const QString why = m_boardHeld ? QStringLiteral("A sweep is using the port (Board, Sweep…)") : QString();
    for (QWidget* button : {m_ui->SendAll, m_ui->WriteAll, m_ui->SetAll, m_ui->Init}) {
        button->setEnabled(!m_commandBusy && !m_boardHeld);
        button->setToolTip(why);
    }
    // A close that waited for the board ends now, from the event loop, not
    // from inside the signal that told of the end.
    if (m_closeWhenIdle && !m_commandBusy && !m_boardHeld)
        QMetaObject::invokeMethod(this, [this] { window()->close(); }, Qt::QueuedConnection);
}

bool ControlPanel::portIsOpen() const { return m_link.isOpen(); }

bool ControlPanel::closePort()
{
    if (!m_link.isOpen())
        return false;
    QString busy;
    if (m_boardHeld)
        busy = QStringLiteral("a sweep is running; stop it first (Board, Sweep…)");
    else if (m_commandBusy)
        busy = QStringLiteral("a command is sending its lines");
    else if (m_awaitingBoardSet)
        busy = QStringLiteral("the board's stored register set is being read back (INIT from EE)");
    if (!busy.isEmpty()) {
        m_messages.showMessage(QStringLiteral("The port stays open: %1.").arg(busy));
        return false;
    }
    const QString device = m_link.device();
    m_link.close();
    showPortSelection(QStringLiteral("Closed the port %1").arg(device));
    return true;
}

void ControlPanel::showBoardReplies(const QString& text)
{
    if (!text.isEmpty())
        appendToText1(text);
}

void ControlPanel::commandFinished(BoardCommands::Command command, const QString& replyText)
{
    if (command == BoardCommands::Command::Init)
        return;
    m_ui->Text1->setPlainText(shownText(replyText));
    // The board may answer nothing: the lines that went out are said here.
    const auto lines = qulonglong(m_commands.linesSent());
    emit statusMessage(QStringLiteral("%1: %2 %3 sent to %4")
                           .arg(command == BoardCommands::Command::SendAll ? QStringLiteral("Set all Registers")
                                                                           : QStringLiteral("Write EE"))
                           .arg(lines)
                           .arg(lines == 1 ? QStringLiteral("line") : QStringLiteral("lines"), m_link.device()));
}

void ControlPanel::commandAborted(BoardCommands::Command command)
{
    if (m_link.isOpen())
        appendToText1(QStringLiteral("The port refused the command; it was not sent whole") + QString::fromLatin1(kCrLf));
    // A cut Write EE may leave the board's EEPROM with a mixed set, which
    // the board loads at power-up: say so, after the loss of the port, which
    // the link tells once this returns.
    if (command == BoardCommands::Command::WriteAll) {
        const QString text = QString::fromStdString(cutWriteText(m_writeAllSet, m_commands.linesSent()))
                             + QString::fromLatin1(kCrLf);
        QMetaObject::invokeMethod(this, [this, text] { appendToText1(text); }, Qt::QueuedConnection);
    }
    if (command == BoardCommands::Command::Init)
        endInitWait();
}

void ControlPanel::initTimedOut()
{
    if (!m_awaitingBoardSet)
        return;
    appendToText1(QString::fromLatin1(kNoRegisterSetText) + QString::fromLatin1(kCrLf));
    endInitWait();
}

// The read-back is given up: the plan follows the controls again.
void ControlPanel::endInitWait()
{
    if (m_awaitingBoardSet)
        resumePlan();
}

void ControlPanel::registerWordReceived(const QString& text1Line) { appendToText1(text1Line); }

void ControlPanel::decodeRequested(const RegisterSet& set)
{
    // Words that are no set of registers 0 to 5 (an erased EEPROM reads back
    // so) would put nonsense into every control; a pasted set and the tools
    // refuse them too.
    if (const std::string bad = notAWholeSet(set); !bad.empty()) {
        appendToText1(QStringLiteral("The set read back was not loaded: %1. The panel keeps its settings.")
                          .arg(QString::fromStdString(bad))
                      + QString::fromLatin1(kCrLf));
        endInitWait();
        return;
    }
    decodeInput(set);
}

void ControlPanel::portLost(const QString& reason)
{
    showPortSelection(reason);
    endInitWait();
}

void ControlPanel::appendToText1(const QString& text)
{
    QTextCursor cursor(m_ui->Text1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shownText(text));
    m_ui->Text1->setTextCursor(cursor);
}
