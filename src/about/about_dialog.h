#pragma once

#include "dialogs.h"

#include <QDialog>

namespace kmission {

// The About window `frmAbout`: the program's name, version, a description and a
// credit line, and a button that starts the system-information program.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(platform::Dialogs& dialogs, QWidget* owner);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void startSysInfo();

    platform::Dialogs& dialogs_;
};

inline constexpr const char* kAppTitle = "KMission";
inline constexpr int kVersionMajor = 0;
inline constexpr int kVersionMinor = 5;
inline constexpr int kVersionRevision = 1;
inline constexpr const char* kAppDescription =
    "Editor for the multiplayer missions of Korvane 3: maps, regions, unit start "
    "positions, mission name and environment.";
inline constexpr const char* kAppCredit =
    "Written by the KMission developers. Not affiliated with the makers of the game.";
inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

} // namespace kmission
