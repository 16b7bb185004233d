// KMission: the mission editor. It takes no arguments and writes no settings.
#include "editor_state.h"
#include "main_window.h"
#include "qt_dialogs.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("KMission");
    QApplication::setApplicationVersion("0.5.1");
    QApplication::setDesktopFileName("io.github.kmission.KMission");

    kmission::EditorState state;
    kmission::platform::QtDialogs dialogs;
    kmission::KMission window(state, dialogs);
    dialogs.setParent(&window);
    window.startUp();
    return QApplication::exec();
}
