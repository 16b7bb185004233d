#include "mission_map.h"

#include "map_painter.h"
#include "mission.h"
#include "picture_decoder.h"
#include "text.h"
#include "view_transform.h"

#include <algorithm>
#include <map>

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
    // A map named again gives the same picture, so each is decoded only once:
    // a mission may name its maps thousands of times, in any mix of upper and
    // lower case. Pictures are found whatever the case, so they are kept by
    // the upper-case name: at most one per map of the Map menu.
    std::map<std::string, QImage> decoded;
    for (const std::string& mapName : mapNames) {
        const std::vector<int> matches = MatchMapMenuItems(captions, mapName);
        std::fill(result.checked.begin(), result.checked.end(), false);
        for (const int item : matches) {
            result.checked[static_cast<std::size_t>(item)] = true;
            const std::string pictureKey = ToUpperAscii(mapName);
            auto surfaceOfMap = decoded.find(pictureKey);
            if (surfaceOfMap == decoded.end()) {
                const auto picture = LoadPicture(rimagePath, state.pictureIndex, mapName, rowDone);
                surfaceOfMap =
                    decoded
                        .emplace(pictureKey,
                                 picture ? MakeMapSurface(*picture, background) : QImage())
                        .first;
            }
            result.surface = surfaceOfMap->second;
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
