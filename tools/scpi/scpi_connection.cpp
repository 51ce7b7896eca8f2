#include "scpi_connection.h"

#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace vantrel {
namespace {

#ifdef Q_OS_WIN
using Socket = SOCKET;
using OptionLength = int;
int sendFlags() { return 0; }
bool wouldBlock() { return WSAGetLastError() == WSAEWOULDBLOCK || WSAGetLastError() == WSAEINTR; }
void closeSocket(qintptr descriptor) { ::closesocket(static_cast<Socket>(descriptor)); }
void setNonBlocking(qintptr descriptor)
{
    u_long on = 1;
    ::ioctlsocket(static_cast<Socket>(descriptor), FIONBIO, &on);
}
#else
using Socket = int;
using OptionLength = socklen_t;
// A client gone must not end this program with SIGPIPE.
int sendFlags() { return MSG_NOSIGNAL; }
bool wouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }
void closeSocket(qintptr descriptor) { ::close(static_cast<Socket>(descriptor)); }
void setNonBlocking(qintptr descriptor)
{
    const int fd = static_cast<Socket>(descriptor);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
}
#endif

} // namespace

ScpiConnection::ScpiConnection(qintptr descriptor, QObject* parent)
    : QObject(parent)
    , m_descriptor(descriptor)
{
    setNonBlocking(descriptor);
    // Answers go out as soon as they are written: a script waits for each.
    const int on = 1;
    ::setsockopt(static_cast<Socket>(descriptor), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                 sizeof on);
    m_readNotifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(descriptor, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &ScpiConnection::onReadable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &ScpiConnection::onWritable);
}

ScpiConnection::~ScpiConnection()
{
    if (m_descriptor >= 0) {
        m_readNotifier->setEnabled(false);
        m_writeNotifier->setEnabled(false);
        closeSocket(m_descriptor);
    }
}

void ScpiConnection::consume(qsizetype bytes)
{
    if (bytes <= 0)
        return;
    m_input.remove(0, bytes);
    updateReading();
}

void ScpiConnection::updateReading()
{
    // A full buffer stops reading; a notifier left on would fire again and again.
    m_readNotifier->setEnabled(m_descriptor >= 0 && !m_inputEnded && m_input.size() < kChunk);
}

void ScpiConnection::onReadable()
{
    if (m_descriptor < 0)
        return;
    const qsizetype room = kChunk - m_input.size();
    if (room <= 0) {
        updateReading();
        return;
    }
    const qsizetype had = m_input.size();
    m_input.resize(had + room);
    const auto got = ::recv(static_cast<Socket>(m_descriptor), m_input.data() + had, static_cast<int>(room), 0);
    m_input.resize(had + (got > 0 ? got : 0));
    if (got < 0) {
        if (!wouldBlock())
            shut();
        return;
    }
    if (got == 0)
        m_inputEnded = true;
    updateReading();
    emit readyRead();
}

bool ScpiConnection::gone()
{
    // Once the input has ended no read event comes for a reset, and only a
    // reset tells a client that shut its side from one that closed: its end
    // answers an answer with one.
    if (m_descriptor >= 0 && m_inputEnded) {
        int error = 0;
        OptionLength size = sizeof error;
        if (::getsockopt(static_cast<Socket>(m_descriptor), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size)
                == 0
            && error != 0)
            shut();
    }
    return m_descriptor < 0;
}

void ScpiConnection::write(const QByteArray& bytes)
{
    if (m_descriptor < 0)
        return;
    m_output += bytes;
    flushOutput();
}

void ScpiConnection::flushOutput()
{
    while (m_descriptor >= 0 && m_outputSent < m_output.size()) {
        const auto sent = ::send(static_cast<Socket>(m_descriptor), m_output.constData() + m_outputSent,
                                 static_cast<int>(m_output.size() - m_outputSent), sendFlags());
        if (sent < 0) {
            if (wouldBlock()) {
                m_writeNotifier->setEnabled(true);
                return;
            }
            shut();
            return;
        }
        m_outputSent += sent;
    }
    if (m_descriptor < 0)
        return;
    m_output.clear();
    m_outputSent = 0;
    m_writeNotifier->setEnabled(false);
    if (m_closeWhenWritten)
        shut();
}

void ScpiConnection::onWritable()
{
    flushOutput();
    if (m_descriptor >= 0)
        emit bytesWritten();
}

void ScpiConnection::closeWhenWritten()
{
    m_closeWhenWritten = true;
    if (bytesToWrite() == 0)
        shut();
}

void ScpiConnection::shut()
{
    if (m_descriptor < 0)
        return;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    closeSocket(m_descriptor);
    m_descriptor = -1;
    m_output.clear();
    m_outputSent = 0;
    QMetaObject::invokeMethod(this, &ScpiConnection::closed, Qt::QueuedConnection);
}

} // namespace vantrel
