// Runs one of the project's programs as a user would, through QProcess, and
// keeps what it said and how it ended.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTest>

struct Run {
    int status = -1; // the exit code; -1 when it crashed or did not end in time
    QByteArray out;
    QByteArray err;
};

inline Run runProgram(const QString& program, const QStringList& arguments, int timeoutMs = 15000)
{
    QProcess process;
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(timeoutMs))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A usage error: exit 2, a message on stderr naming `named`, nothing on stdout.
inline void verifyUsageError(const Run& run, const QString& named)
{
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(named.toUtf8()), run.err.constData());
    QCOMPARE(run.out, QByteArray());
}
