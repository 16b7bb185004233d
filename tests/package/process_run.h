#pragma once

// Running the programs of this build or of the package as a user, a file
// manager or a script runs them.

#include <QProcess>

namespace kmission::test {

struct ProcessResult {
    int exitCode = -1; // -1 when the program could not run or did not finish
    QString out;
    QString err;
};

inline ProcessResult
RunProgram(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return {-1, {}, program + " did not finish: " + process.errorString()};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace kmission::test
