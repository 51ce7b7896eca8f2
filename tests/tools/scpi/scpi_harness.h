// What the vantrel-scpi tests share: the server as a child process on a
// port of its own, a client that sends lines and reads answers, and the
// lines vantrel-plan's words make on the wire.
#pragma once

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

#include <csignal>

#include "program_run.h"

constexpr int kWaitMs = 15000;

// vantrel-scpi listening on a port the system chose, which it says on stderr.
struct ScpiProcess {
    QProcess process;
    quint16 port = 0;
    QByteArray err;

    bool start(const QStringList& arguments)
    {
        // It says where it listens on stderr.
        process.setReadChannel(QProcess::StandardError);
        process.start(QStringLiteral(VANTREL_SCPI_EXE), arguments + QStringList{"--listen", "127.0.0.1:0"});
        if (!process.waitForStarted(kWaitMs))
            return false;
        static const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+);"));
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kWaitMs) {
            err += process.readAllStandardError();
            const QRegularExpressionMatch match = listening.match(QString::fromLocal8Bit(err));
            if (match.hasMatch()) {
                port = static_cast<quint16>(match.captured(1).toUInt());
                return true;
            }
            if (!process.waitForReadyRead(1000) && process.state() == QProcess::NotRunning)
                return false;
        }
        return false;
    }
    ~ScpiProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kWaitMs);
        }
    }
    void signal(int number) { ::kill(static_cast<pid_t>(process.processId()), number); }
    // For a check of its resident memory: AddressSanitizer holds freed
    // blocks back in a quarantine, which would count as the server's own.
    void withoutQuarantine()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString options = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           options + (options.isEmpty() ? "" : ":") + QStringLiteral("quarantine_size_mb=0"));
        process.setProcessEnvironment(environment);
    }
    // The exit code, or -1 when it crashed or did not end in time.
    int finish()
    {
        if (!process.waitForFinished(kWaitMs))
            return -1;
        err += process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

// A test script's end of the socket.
struct ScpiClient {
    QTcpSocket socket;
    QByteArray buffer;

    bool connectTo(quint16 port)
    {
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return socket.waitForConnected(kWaitMs);
    }
    void send(const QByteArray& line)
    {
        socket.write(line + '\n');
        socket.flush();
    }
    // The next answer line, without its LF; "<no answer>" when none came in time.
    QByteArray answer(int timeoutMs = kWaitMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!buffer.contains('\n')) {
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0 || !socket.waitForReadyRead(static_cast<int>(left)))
                return "<no answer>";
            buffer += socket.readAll();
        }
        const qsizetype end = buffer.indexOf('\n');
        QByteArray line = buffer.left(end);
        buffer.remove(0, end + 1);
        return line;
    }
    QByteArray query(const QByteArray& line, int timeoutMs = kWaitMs)
    {
        send(line);
        return answer(timeoutMs);
    }
};

// vantrel-plan's six words for `arguments`, Reg0 first; empty when it failed.
inline QStringList planWords(const QStringList& arguments)
{
    const Run run = runProgram(QStringLiteral(VANTREL_PLAN_EXE), arguments + QStringList{"--json"});
    if (run.status != 0)
        return {};
    return QJsonDocument::fromJson(run.out).object().value("registers").toVariant().toStringList();
}

// "Set all Registers": Reg5 first, Reg0 last.
inline QStringList setLines(const QStringList& words)
{
    QStringList lines;
    for (qsizetype i = words.size() - 1; i >= 0; --i)
        lines << "R" + words[i];
    return lines;
}

// "Write EE": each word followed by its store line.
inline QStringList storeLines(const QStringList& words)
{
    QStringList lines;
    for (const QString& line : setLines(words))
        lines << line << "W";
    return lines;
}

// A step that sends only what changed: Reg5 down to Reg1, then Reg0.
inline QStringList changedLines(const QStringList& before, const QStringList& after)
{
    QStringList lines;
    for (qsizetype i = after.size() - 1; i >= 1; --i) {
        if (before.value(i) != after[i])
            lines << "R" + after[i];
    }
    if (!lines.isEmpty() || before.value(0) != after.value(0))
        lines << "R" + after[0];
    return lines;
}

// A Reg0 line: the chip takes a set when it arrives.
inline bool isReg0Line(const QString& line)
{
    bool ok = false;
    return line.size() == 9 && line.startsWith('R') && (line.mid(1).toUInt(&ok, 16) & 7u) == 0 && ok;
}
