#include "virtual_board_process.h"

#include <QCoreApplication>
#include <QDir>

namespace vantrel {
namespace {

constexpr int kStartMs = 5000;
constexpr char kReady[] = "Board ready on ";

} // namespace

VirtualBoardProcess::VirtualBoardProcess(QObject* parent)
    : QObject(parent)
{
    // Its warnings (lines closer than 100 ms) are worth seeing; its log is not asked for.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
        if (!m_device.isEmpty())
            m_process.readAllStandardOutput();
    });
}

VirtualBoardProcess::~VirtualBoardProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(kStartMs)) {
        m_process.kill();
        m_process.waitForFinished(kStartMs);
    }
}

bool VirtualBoardProcess::start()
{
#ifdef Q_OS_UNIX
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vantrel-board"));
    m_process.start(program, {});
    if (!m_process.waitForStarted(kStartMs)) {
        m_error = QStringLiteral("cannot start %1: %2").arg(program, m_process.errorString());
        return false;
    }
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(kStartMs)) {
            m_error = QStringLiteral("%1 did not say where it is ready").arg(program);
            return false;
        }
    }
    const QByteArray first = m_process.readLine().trimmed();
    if (!first.startsWith(kReady)) {
        m_error = QStringLiteral("%1 said \"%2\" instead of where it is ready").arg(program, QString::fromLocal8Bit(first));
        return false;
    }
    m_device = QString::fromLocal8Bit(first.mid(static_cast<qsizetype>(sizeof kReady - 1)));
    return true;
#else
    m_error = QStringLiteral("the virtual board needs a pseudo-terminal, which this system does not offer");
    return false;
#endif
}

} // namespace vantrel
