#include "render_view.h"

#include "editor_state.h"
#include "file_exists.h"
#include "file_io.h"
#include "map_catalogue.h"
#include "map_painter.h"
#include "mission.h"
#include "mission_map.h"
#include "view_transform.h"

#include <QPainter>

#include <filesystem>

namespace kmission {

namespace {

void Append(Messages& to, const Messages& more) {
    to.insert(to.end(), more.begin(), more.end());
}

} // namespace

RenderResult RenderMissionView(const std::string& dataDir, const std::string& archivePath) {
    RenderResult result;
    const std::filesystem::path folder(dataDir);
    const std::string sharedPath = (folder / kSharedArchiveName).string();
    const auto sharedBytes = FileExists(sharedPath) ? ReadWholeFile(sharedPath) : std::nullopt;
    if (!sharedBytes) {
        result.messages.push_back(Message{"Bad Path!"});
        return result;
    }
    SharedArchive shared = ReadSharedArchive(*sharedBytes);
    Append(result.messages, shared.messages);
    if (!shared.ok) {
        return result;
    }

    EditorState state;
    state.mapCatalogue = std::move(shared.catalogue.maps);
    const std::string picturePath = (folder / kPictureFileName).string();
    state.pictureIndex = ReadPictureIndexFile(picturePath);

    MissionLoad load = LoadMissionFile(archivePath);
    Append(result.messages, load.messages);
    if (load.outcome != LoadOutcome::Loaded) {
        return result;
    }
    state.mission = std::move(load.mission);

    std::vector<std::string> captions;
    captions.reserve(state.mapCatalogue.size());
    for (const MapInfo& map : state.mapCatalogue) {
        captions.push_back(map.name);
    }
    const QColor background = QColor::fromRgb(kButtonFaceColour);
    const MissionMapResult maps =
        ShowMissionMaps(state, captions, load.mapNames, picturePath,
                        std::vector<bool>(captions.size(), false), QImage(), background);
    Append(result.messages, maps.messages);

    // The view starts at its design size, which is also the size a map gives it.
    const QSize viewSize(kMapViewSize.width, kMapViewSize.height);
    result.image = QImage(viewSize, QImage::Format_RGB32);
    QPainter painter(&result.image);
    PaintMapView(painter, state, maps.surface, viewSize, background);
    painter.end();
    result.ok = true;
    result.mapShown = state.mapLoaded;
    return result;
}

} // namespace kmission
