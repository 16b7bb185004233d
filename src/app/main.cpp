// KMission: the mission editor. It writes no settings; its only argument is a
// mission to open.
#include "command_line.h"
#include "editor_state.h"
#include "main_window.h"
#include "qt_dialogs.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr const char* kVersion = "0.5.1";

QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QFile::decodeName(argv[i]);
    }
    return arguments;
}

} // namespace

int main(int argc, char* argv[]) {
    // Read before the application exists, so that --help needs no display.
    const kmission::StartRequest request =
        kmission::ParseCommandLine(Arguments(argc, argv), kVersion);
    if (!request.startEditor) {
#ifdef _WIN32
        // A windowed program has no console: print into the one it was started from.
        if (AttachConsole(ATTACH_PARENT_PROCESS)) {
            std::freopen("CONOUT$", "w", stdout);
            std::freopen("CONOUT$", "w", stderr);
        }
#endif
        std::fputs(request.output.toLocal8Bit().constData(),
                   request.outputIsError ? stderr : stdout);
        return request.exitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("KMission");
    QApplication::setApplicationVersion(kVersion);
    QApplication::setDesktopFileName("io.github.kmission.KMission");

    kmission::EditorState state;
    kmission::platform::QtDialogs dialogs;
    kmission::KMission window(state, dialogs);
    dialogs.setParent(&window);
    window.startUp();
    if (!request.missionPath.isEmpty()) {
        window.openMissionFile(QFile::encodeName(request.missionPath).toStdString());
    }
    return QApplication::exec();
}
