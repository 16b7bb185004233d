#pragma once

#include "editor_state.h"
#include "message.h"

#include <QColor>
#include <QImage>

#include <functional>
#include <string>
#include <vector>

namespace kmission {

// What showing a freshly opened mission's maps did.
struct MissionMapResult {
    std::vector<bool> checked; // the final check mark of every Map menu item
    QImage surface;            // the map surface afterwards; null when it was cleared
    bool resizeView = false;   // the view's outer size must become kMapViewSize
    Messages messages;         // in the order met
};

// What File > Open does with the mission's "MAP" values once the mission is
// loaded. For each value in order, the Map menu items it matches
// (MatchMapMenuItems on `captions`, the items' texts in the game's code page)
// are checked and every other item loses its check; for each match at once
// the map's picture is loaded from `rimagePath` (native path) into a new
// surface, SetMapScale runs and `mapLoaded` becomes true. A map without a
// picture record, or whose picture cannot be read or is not what its header
// claims, leaves the surface cleared. `checked` and `surface` start from the
// values passed in, so a mission without a matching "MAP" value leaves the
// picture as it was. `rowDone` runs after every decoded picture row.
MissionMapResult ShowMissionMaps(EditorState& state, const std::vector<std::string>& captions,
                                 const std::vector<std::string>& mapNames,
                                 const std::string& rimagePath, std::vector<bool> checked,
                                 const QImage& surface, QColor background,
                                 const std::function<void()>& rowDone = {});

} // namespace kmission
