#include "view_transform.h"

#include "picture_decoder.h"
#include "text.h"

#include <algorithm>
#include <cmath>

namespace kmission {

namespace {

bool UsableMpp(float mpp) {
    return mpp != 0.0f && std::isfinite(mpp);
}

// Beyond this a rounded value no longer converts to int64 safely.
constexpr double kPixelRectLimit = 4611686018427387904.0; // 2^62

std::optional<std::int64_t> NearestPixel(double value) {
    const double rounded = RoundHalfEven(value);
    if (!std::isfinite(rounded) || std::fabs(rounded) > kPixelRectLimit) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(rounded);
}

float ScaledFloat(float value, double factor) {
    return static_cast<float>(static_cast<double>(value) * factor);
}

} // namespace

ViewSize DrawingAreaSize(ViewSize outer) {
    return {std::max(0, outer.width - 2 * kViewBorder),
            std::max(0, outer.height - 2 * kViewBorder)};
}

MapScaleResult SetMapScale(EditorState& state, std::string_view mapName) {
    MapScaleResult result;
    const std::string wanted = ToUpperAscii(CleanText(mapName));
    int mapIndex = -1;
    for (std::size_t i = 0; i < state.mapCatalogue.size(); ++i) {
        MapInfo& map = state.mapCatalogue[i];
        const std::string cleaned = CleanText(map.name);
        map.name = PadText(cleaned, kMapNameWidth);
        if (ToUpperAscii(cleaned) == wanted) {
            mapIndex = static_cast<int>(i) + 1;
            state.currentMap = mapIndex;
        }
    }
    // An unmatched name still takes the zoom of the map found before.
    if (const MapInfo* current = state.currentMapInfo()) {
        state.viewZoom = static_cast<double>(-current->mpp);
    }
    const int pictureIndex = FindPictureRecord(state.pictureIndex, mapName);
    if (mapIndex <= 0 || pictureIndex <= 0) {
        result.messages.push_back(Message{kScaleErrorMessage});
        return result;
    }
    const MapInfo& map = *state.currentMapInfo();
    if (!UsableMpp(map.mpp)) {
        result.messages.push_back(Message{kScaleErrorMessage});
        return result;
    }
    result.resizeView = true;
    state.viewRect.left = map.offsetX;
    state.viewRect.top = map.offsetZ;
    state.viewRect.width = static_cast<float>(-static_cast<double>(kMapViewSize.width) * map.mpp);
    state.viewRect.height = static_cast<float>(-static_cast<double>(kMapViewSize.height) * map.mpp);
    return result;
}

void ZoomView(EditorState& state, double factor) {
    state.viewRect.width = ScaledFloat(state.viewRect.width, factor);
    state.viewRect.height = ScaledFloat(state.viewRect.height, factor);
    state.viewZoom *= factor;
}

std::optional<PixelRect> MapPictureRect(const EditorState& state) {
    const MapInfo* map = state.currentMapInfo();
    if (map == nullptr) {
        return std::nullopt;
    }
    const double zoom = state.viewZoom;
    const double mpp = map->mpp;
    const auto x = NearestPixel((map->offsetX - static_cast<double>(state.viewRect.left)) / zoom);
    const auto y = NearestPixel((map->offsetZ - static_cast<double>(state.viewRect.top)) / zoom);
    const auto width = NearestPixel(mpp / zoom * -kPictureSourceWidth);
    const auto height = NearestPixel(mpp / zoom * -kPictureSourceHeight);
    if (!x || !y || !width || !height) {
        return std::nullopt;
    }
    return PixelRect{*x, *y, *width, *height};
}

ViewSize ResizedViewSize(ViewSize view, ViewSize clientArea) {
    ViewSize resized = view;
    if (clientArea.width - kResizeMarginWidth > 0) {
        resized.width = clientArea.width - kResizeMarginWidth;
    }
    if (clientArea.height - kResizeMarginHeight > 0) {
        resized.height = clientArea.height - kResizeMarginHeight;
    }
    return resized;
}

void ResetView(EditorState& state, ViewSize viewSize) {
    const MapInfo* map = state.mapLoaded ? state.currentMapInfo() : nullptr;
    if (map == nullptr || !UsableMpp(map->mpp)) {
        return;
    }
    const double mpp = map->mpp;
    state.viewZoom = static_cast<double>(-map->mpp);
    state.viewRect.width = static_cast<float>(-(viewSize.width * mpp));
    state.viewRect.height = static_cast<float>(-(viewSize.height * mpp));
    state.viewRect.left = map->offsetX;
    state.viewRect.top = map->offsetZ;
}

} // namespace kmission
