#include "mission_map.h"

#include "map_painter.h"
#include "mission.h"
#include "picture_decoder.h"
#include "view_transform.h"

#include <algorithm>
#include <optional>

namespace kmission {

MissionMapResult ShowMissionMaps(EditorState& state, const std::vector<std::string>& captions,
                                 const std::vector<std::string>& mapNames,
                                 const std::string& rimagePath, std::vector<bool> checked,
                                 const QImage& surface, QColor background,
                                 const std::function<void()>& rowDone) {
    MissionMapResult result;
    result.checked = std::move(checked);
    result.checked.resize(captions.size(), false);
    result.surface = surface;
    // A map named again gives the same picture, so it is decoded only once:
    // a mission may name its map thousands of times.
    std::optional<std::string> decoded;
    for (const std::string& mapName : mapNames) {
        const std::vector<int> matches = MatchMapMenuItems(captions, mapName);
        std::fill(result.checked.begin(), result.checked.end(), false);
        for (const int item : matches) {
            result.checked[static_cast<std::size_t>(item)] = true;
            if (decoded != mapName) {
                const auto picture = LoadPicture(rimagePath, state.pictureIndex, mapName, rowDone);
                result.surface = picture ? MakeMapSurface(*picture, background) : QImage();
                decoded = mapName;
            }
            MapScaleResult scale = SetMapScale(state, mapName);
            result.resizeView = result.resizeView || scale.resizeView;
            result.messages.insert(result.messages.end(), scale.messages.begin(),
                                   scale.messages.end());
            state.mapLoaded = true;
        }
    }
    return result;
}

} // namespace kmission
