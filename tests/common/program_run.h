// Runs one of the project's programs as a user would, through QProcess, and
// keeps what it said and how it ended.
#pragma once

#include <QProcess>
#include <QStringList>

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
