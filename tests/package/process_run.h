#pragma once

// Running the programs of this build or of the package as a user, a file
// manager or a script runs them.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace kmission::test {

struct ProcessResult {
    int exitCode = -1; // -1 when the program could not run or did not finish
    QString out;
    QString err;
};

// Standard input is the file `inputFile` when given.
inline ProcessResult
RunProgram(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
           const QString& inputFile = {}) {
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!inputFile.isEmpty()) {
        process.setStandardInputFile(inputFile);
    }
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return {-1, {}, program + " did not finish: " + process.errorString()};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Runs a thumbnailer as a file manager does: the Exec line of the .thumbnailer
// file with %s, %i and %o replaced by quoted values, through the shell, for a
// user who has `binFolder` first on the PATH.
inline ProcessResult RunThumbnailer(const QString& thumbnailerFile, int size, const QString& input,
                                    const QString& output, const QString& binFolder) {
    QFile file(thumbnailerFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return {-1, {}, "cannot read " + thumbnailerFile};
    }
    QString exec = QString::fromUtf8(file.readAll()).section("\nExec=", 1).section('\n', 0, 0);
    const auto quoted = [](QString text) { return "'" + text.replace("'", "'\\''") + "'"; };
    exec.replace("%s", QString::number(size)).replace("%i", quoted(input));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", binFolder + ":" + environment.value("PATH"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    return RunProgram("/bin/sh", {"-c", exec.replace("%o", quoted(output))}, environment);
}

} // namespace kmission::test
