#pragma once

#include "support/TestFiles.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTest>

// The executable under test, run as a separate process the way a script or a CI job runs it.
struct CliRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

inline QString CliProgram() {
    return QStringLiteral(TARC_EMULATOR_PATH);
}

// Runs to the end (30 s at most, or timeoutMs) with the given standard input; status -1 when it had to
// be killed.
inline CliRun RunCli(const QStringList& arguments, const QByteArray& input = {}, int timeoutMs = 30000) {
    QProcess process;
    process.start(CliProgram(), arguments);
    CliRun run;
    if (!process.waitForStarted(10000))
        return run;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A port nothing listens on at the moment: bound once on 127.0.0.1, then released.
inline quint16 FreePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        qFatal("no free port on 127.0.0.1");
    return probe.serverPort();
}

using test_files::ReadAll;
using test_files::WriteFile;
