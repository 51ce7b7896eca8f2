#include "board_port.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vantrel {

namespace {

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

bool makeRaw(int fd, bool setSpeed)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
    if (setSpeed) {
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
    }
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

BoardPort::BoardPort(QObject* parent)
    : QObject(parent)
{
}

BoardPort::~BoardPort() { closeAll(); }

bool BoardPort::fail(const QString& what)
{
    m_error = what + QStringLiteral(": ") + systemError();
    closeAll();
    return false;
}

bool BoardPort::openPseudoTerminal()
{
    m_fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_fd < 0)
        return fail(QStringLiteral("Cannot open a pseudo-terminal"));
    if (grantpt(m_fd) != 0 || unlockpt(m_fd) != 0)
        return fail(QStringLiteral("Cannot unlock the pseudo-terminal"));
    const char* name = ptsname(m_fd);
    if (name == nullptr)
        return fail(QStringLiteral("Cannot name the pseudo-terminal"));
    m_peerPath = QString::fromLocal8Bit(name);
    m_slaveFd = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slaveFd < 0)
        return fail(QStringLiteral("Cannot open %1").arg(m_peerPath));
    // No echo and no CR/LF translation, even before the panel opens its side.
    if (!makeRaw(m_slaveFd, false))
        return fail(QStringLiteral("Cannot set %1 to raw mode").arg(m_peerPath));
    watch();
    return true;
}

bool BoardPort::openDevice(const QString& path)
{
    m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (m_fd < 0)
        return fail(QStringLiteral("Cannot open %1").arg(path));
    if (!makeRaw(m_fd, true))
        return fail(QStringLiteral("Cannot set %1 to 9600 baud, raw").arg(path));
    m_peerPath = path;
    watch();
    return true;
}

void BoardPort::watch()
{
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &BoardPort::onReadable);
}

void BoardPort::onReadable()
{
    char buffer[512];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n > 0) {
        emit received(QByteArray(buffer, static_cast<qsizetype>(n)));
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    // End of file or a hang-up: stop watching at once, or the notifier fires forever.
    const QString reason = n == 0 ? QStringLiteral("end of file") : systemError();
    closeAll();
    emit closed(reason);
}

bool BoardPort::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return done == bytes.size();
}

void BoardPort::closeAll()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_slaveFd >= 0)
        ::close(m_slaveFd);
    m_fd = -1;
    m_slaveFd = -1;
}

} // namespace vantrel
