// Resident memory of the editor, in a process of its own: its main window
// started on a demo installation (so that the mission's map is found), then
// File > Open of a mission until its map is shown.
//   kmission_editor_memory MISSION [OUT]
// prints (or writes to OUT), as one JSON object, the resident size after
// start-up with no mission open and the peak with the mission open.

#include "demo_installation.h"
#include "main_window.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

long long PeakResidentBytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<long long>(usage.ru_maxrss) * 1024; // kilobytes on Linux
}

// The resident size now, from the kernel's count of resident pages.
long long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s MISSION [OUT]\n", argv[0]);
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const QTemporaryDir folder;
    const std::string game = folder.path().toStdString() + "/game";
    std::string error;
    if (!folder.isValid() || !kmission::demo::WriteDemoInstallation(game, error)) {
        std::fprintf(stderr, "demo installation: %s\n", error.c_str());
        return 1;
    }
    ::setenv("WINEPREFIX", (game + "/prefix").c_str(), 1);

    kmission::EditorState editor;
    kmission::platform::ScriptedDialogs dialogs;
    kmission::KMission window(editor, dialogs);
    window.startUp();
    QCoreApplication::processEvents();
    const long long startUp = ResidentBytes();

    dialogs.queueOpenFile(argv[1]);
    window.findChild<QAction*>("mnufileopen")->trigger();
    QElapsedTimer waited;
    waited.start();
    while (!editor.mapLoaded && waited.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QCoreApplication::processEvents();
    if (!editor.mapLoaded || editor.mission.missionEntryCount() == 0) {
        std::fprintf(stderr, "the editor did not open %s with its map\n", argv[1]);
        return 1;
    }
    std::FILE* out = argc == 3 ? std::fopen(argv[2], "w") : stdout;
    if (out == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    std::fprintf(out, "{\"editor_start_up_bytes\": %lld, \"editor_peak_bytes\": %lld}\n", startUp,
                 PeakResidentBytes());
    return out == stdout || std::fclose(out) == 0 ? 0 : 1;
}
