#pragma once

// Running the packaged programs as a user or a file manager runs them.

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

inline ProcessResult
RunProgram(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProcessResult run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        run.err = program + " did not finish: " + process.errorString();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// Runs a thumbnailer the way a file manager does: the Exec line of the
// .thumbnailer file with %s, %i and %o replaced by quoted values, through the
// shell syntax the line is written in. The programs it names are found on the
// PATH of `environment`.
inline ProcessResult RunThumbnailer(const QString& thumbnailerFile, int size, const QString& input,
                                    const QString& output, const QProcessEnvironment& environment) {
    QFile file(thumbnailerFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {-1, {}, "cannot read " + thumbnailerFile};
    }
    QString exec;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.startsWith("Exec=")) {
            exec = line.mid(5);
        }
    }
    const auto quoted = [](QString text) { return "'" + text.replace("'", "'\\''") + "'"; };
    QString command;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] != '%' || i + 1 == exec.size()) {
            command += exec[i];
            continue;
        }
        const QChar code = exec[++i];
        if (code == 's') {
            command += QString::number(size);
        } else if (code == 'i') {
            command += quoted(input);
        } else if (code == 'o') {
            command += quoted(output);
        } else {
            command += code == '%' ? QString("%") : QString("%") + code;
        }
    }
    return RunProgram("/bin/sh", {"-c", command}, environment);
}

// The environment of a user who has `binFolder` first on the PATH.
inline QProcessEnvironment WithProgramsFrom(const QString& binFolder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", binFolder + ":" + environment.value("PATH"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    return environment;
}

} // namespace kmission::test
