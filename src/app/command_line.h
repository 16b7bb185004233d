#pragma once

#include <QString>
#include <QStringList>

namespace kmission {

// What the command line asks the editor to do before any window exists.
struct StartRequest {
    // False when the program only prints `output` and ends with `exitCode`.
    bool startEditor = true;
    // A mission to open once start-up is done, as File > Open would open it;
    // an absolute native path, or empty.
    QString missionPath;
    QString output;
    bool outputIsError = false;
    int exitCode = 0;
};

// Reads `kmission [--help] [--version] [MISSION]` (arguments[0] is the
// program). --help and --version print and end with 0; an unknown option or a
// second mission prints the usage on standard error and ends with 2. Qt's own
// options are not accepted here: they are read from the environment
// (QT_QPA_PLATFORM, QT_SCALE_FACTOR, ...), so that --help needs no display.
StartRequest ParseCommandLine(const QStringList& arguments, const QString& version);

} // namespace kmission
