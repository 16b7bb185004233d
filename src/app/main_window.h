#pragma once

#include "dialogs.h"
#include "editor_state.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace kmission {

class EnvironmentWindows;
class MapView;
class MissionHistory;
class PropertiesWindow;

// The main window `KMission`: the map view, the zoom, Reset and Node Shift
// buttons, the pointer readout and the menus. It owns the commands that open,
// save and rename the mission; start-up fills it from the game data.
class KMission : public QMainWindow {
    Q_OBJECT
public:
    KMission(EditorState& state, platform::Dialogs& dialogs, QWidget* parent = nullptr);
    ~KMission() override;

    // Start-up: finds the game data, reads the map catalogue and the picture
    // index, fills the Map menu, then shows this window with the properties
    // window beside it.
    void startUp();

    // File > Open after the dialog: opens the mission at `path` (a native path,
    // or a Windows path in the game's prefix) with File > Open's messages.
    void openMissionFile(const std::string& path);

    EditorState& state() { return state_; }
    MapView* mapView() const { return picture1_; }
    const QImage& mapSurface() const { return mapSurface_; }
    // The properties window, created (hidden) when it does not exist.
    PropertiesWindow* propertiesWindow();
    MissionHistory& history() const { return *history_; }

signals:
    // A mission was opened: windows showing the previous mission's values close.
    void missionReplaced();
    // The main window closes and the program ends: every other window goes too.
    void closing();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void fillMapMenu();
    bool readSharedData();

    void openMission();
    void saveMission();
    void renameMission();
    void showEnvironment();
    void showProperties();
    void showAbout();
    void chooseMapItem(int index);
    void zoom(double factor);
    void resetView();

    void applyMissionMaps(const std::vector<std::string>& mapNames);
    void showMissionName();
    void letEventsRun();

    EditorState& state_;
    platform::Dialogs& dialogs_;
    QImage mapSurface_;

    MapView* picture1_ = nullptr;
    QWidget* picture2_ = nullptr;
    QPushButton* cmdZoomOut_ = nullptr;
    QPushButton* cmdZoomIn_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QLabel* lblX_ = nullptr;
    QLabel* lblY_ = nullptr;
    QMenu* mnumaps_ = nullptr;
    QList<QAction*> mnumaparray_;
    QPointer<PropertiesWindow> properties_;
    MissionHistory* history_ = nullptr;
    EnvironmentWindows* environment_ = nullptr;
    qint64 lastEventPump_ = 0;
    bool closed_ = false; // the window was closed: the program is ending
};

} // namespace kmission
