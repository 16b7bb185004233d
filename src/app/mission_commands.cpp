// File > Open, File > Save and Mission > Name of the main window.
#include "main_window.h"

#include "cursor.h"
#include "map_view.h"
#include "mission_history.h"
#include "mission_map.h"
#include "mission_name.h"
#include "mission_save.h"
#include "native_path.h"
#include "qt_text.h"
#include "rename_mission_command.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>

namespace kmission {

namespace {

constexpr const char* kPbdFilter = "readermp*.PBD Korv3 Pellam|readermp*.PBD";
constexpr const char* kPbdExtension = ".PBD";

// How long a load may keep the window from handling its events.
constexpr qint64 kEventPumpIntervalMs = 15;

platform::FileDialogRequest PbdDialog(const char* title, const std::string& folder,
                                      std::uint32_t options) {
    return {title, kPbdFilter, kPbdExtension, folder, options};
}

} // namespace

// Reading a large mission lets window events run now and then, so the window
// keeps painting; commands that would change the mission wait for the load.
void KMission::letEventsRun() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - lastEventPump_ >= kEventPumpIntervalMs) {
        lastEventPump_ = now;
        QCoreApplication::processEvents();
    }
}

void KMission::openMission() {
    if (state_.loadInProgress) {
        return;
    }
    const auto path = dialogs_.openFile(
        PbdDialog("Open PBD", state_.dataDir,
                  platform::kFileMustExist | platform::kPathMustExist | platform::kHideReadOnly));
    if (path) {
        openMissionFile(*path);
    }
}

void KMission::openMissionFile(const std::string& path) {
    if (state_.loadInProgress) {
        return;
    }
    if (!platform::FileExists(path)) {
        dialogs_.showMessage(Message{"Bad Path!"});
        return;
    }

    state_.loadInProgress = true;
    platform::SetWaitCursor();
    MissionReadOptions options;
    options.parse.yield = [this] { letEventsRun(); };
    MissionLoad load = LoadMissionFile(platform::ToNativePath(path), options);
    state_.loadInProgress = false;
    platform::SetDefaultCursor();
    // The window was closed while the file was read: the program is ending,
    // and nothing may appear after the window has gone.
    if (closed_) {
        return;
    }

    switch (load.outcome) {
    case LoadOutcome::Refused:
        // The mission open before stays open, untouched.
        platform::ShowMessages(dialogs_, load.messages);
        return;
    case LoadOutcome::NoMission:
        state_.mission = MissionModel{};
        state_.selectedEntry = -1;
        emit missionReplaced();
        platform::ShowMessages(dialogs_, load.messages);
        picture1_->update();
        return;
    case LoadOutcome::Loaded:
        break;
    }
    state_.mission = std::move(load.mission);
    // Nothing selected in the previous mission may be written into this one.
    state_.selectedEntry = -1;
    state_.selectedNode = 0;
    emit missionReplaced();
    platform::ShowMessages(dialogs_, load.messages);
    if (load.missionName) {
        setWindowTitle(platform::FromCp1252(MissionWindowTitle(*load.missionName)));
        applyMissionMaps(load.mapNames);
    }
    if (closed_) {
        return;
    }
    picture1_->update();
    dialogs_.showMessage(Message{kLoadedMessage});
}

// Only the catalogue's items take part: without a catalogue the menu holds
// the design item "maps", which names no map.
void KMission::applyMissionMaps(const std::vector<std::string>& mapNames) {
    std::vector<std::string> captions;
    std::vector<bool> checked;
    const qsizetype mapItems =
        std::min(mnumaparray_.size(), static_cast<qsizetype>(state_.mapCatalogue.size()));
    for (qsizetype i = 0; i < mapItems; ++i) {
        captions.push_back(platform::ToCp1252(mnumaparray_[i]->text()));
        checked.push_back(mnumaparray_[i]->isChecked());
    }
    const MissionMapResult result = ShowMissionMaps(
        state_, captions, mapNames, platform::ToNativePath(state_.dataDir + kPictureFileName),
        checked, mapSurface_, palette().color(QPalette::Button), [this] { letEventsRun(); });
    if (closed_) {
        return;
    }
    for (qsizetype i = 0; i < mapItems; ++i) {
        mnumaparray_[i]->setChecked(result.checked[static_cast<std::size_t>(i)]);
    }
    mapSurface_ = result.surface;
    picture1_->setMapSurface(mapSurface_);
    // The hidden surface is the picture's size and its border.
    picture2_->resize(mapSurface_.width() + 4, mapSurface_.height() + 4);
    if (result.resizeView) {
        picture1_->resize(kMapViewSize.width, kMapViewSize.height);
    }
    platform::ShowMessages(dialogs_, result.messages);
}

void KMission::saveMission() {
    if (state_.loadInProgress || state_.mission.missionEntryCount() == 0) {
        return;
    }
    const auto path = dialogs_.saveFile(
        PbdDialog("Save PBD", state_.dataDir, platform::kPathMustExist | platform::kHideReadOnly));
    if (!path) {
        return;
    }
    if (platform::FileExists(*path)) {
        const Message question{kReplaceQuestion, kReplaceTitle, MessageButtons::YesNoCancel,
                               MessageIcon::Question};
        if (dialogs_.showMessage(question) != platform::DialogButton::Yes) {
            return;
        }
    }
    platform::ShowMessages(dialogs_,
                           SaveMissionFile(state_.mission, platform::ToNativePath(*path)));
}

void KMission::renameMission() {
    if (state_.loadInProgress) {
        return;
    }
    const auto current = CurrentMissionName(state_.mission);
    if (!current) {
        return;
    }
    const std::string answer = dialogs_.inputBox(kNamePrompt, kNameTitle, *current);
    const int info = FindMissionInfo(state_.mission);
    const NodeList before = state_.mission.missionEntries[static_cast<std::size_t>(info)].nodes;
    if (const auto title = RenameMission(state_.mission, answer)) {
        setWindowTitle(platform::FromCp1252(*title));
        history_->record(
            new RenameMissionCommand(*history_, ChangedTexts(state_.mission, info, before)));
    }
}

// The title after undo or redo of a rename: the name as the mission holds it.
void KMission::showMissionName() {
    if (const auto name = CurrentMissionName(state_.mission)) {
        setWindowTitle(platform::FromCp1252(MissionWindowTitle(*name)));
    }
}

} // namespace kmission
