#pragma once

#include "map_catalogue.h"
#include "mission.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kmission {

// The map view's world coordinate system: world X at the left edge of the
// drawing area (L), world Z at its top edge (T), and the signed world width (W)
// and height (H) spread over the drawing area. Single precision, as stored.
struct ViewRect {
    float left = -8000.0f;
    float top = -11000.0f;
    float width = 16000.0f;
    float height = 16200.0f;

    friend bool operator==(const ViewRect&, const ViewRect&) = default;
};

// Everything the editor's windows share, in one place so that each test can
// build its own. The mission model is replaced as a whole by File > Open.
struct EditorState {
    // Start-up: the game data directory (Windows text ending in "\") and the
    // shared data read from it.
    std::string dataDir;
    std::vector<MapInfo> mapCatalogue;           // map k is mapCatalogue[k - 1]
    std::vector<PictureIndexEntry> pictureIndex; // record k is pictureIndex[k - 1]

    // The open mission: no entries while none is open.
    MissionModel mission;
    // True while File > Open reads a file: window events still run then, and
    // commands that would load, save or change the mission do nothing.
    bool loadInProgress = false;

    // Map view.
    int currentMap = 0; // 1-based catalogue index; 0 until a map was found
    bool mapLoaded = false;
    ViewRect viewRect;
    double viewZoom = 0.0; // signed world units per view pixel

    // Object editing.
    int selectedEntry = -1; // index in mission.missionEntries; -1: nothing selected
    int selectedNode = 0;   // the selected unit's name node
    bool moveMode = false;
    bool nodeShiftMode = false;
    float nodeShiftX = 0.0f;
    float nodeShiftZ = 0.0f;

    // Environment dialogs: whether closing an effect dialog really closes it.
    bool environmentClosing = false;

    const MapInfo* currentMapInfo() const {
        if (currentMap < 1 || currentMap > static_cast<int>(mapCatalogue.size())) {
            return nullptr;
        }
        return &mapCatalogue[static_cast<std::size_t>(currentMap - 1)];
    }
};

} // namespace kmission
