#include "view_transform.h"

#include "mapview_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kmission {
namespace {

using mapview_test::Map;
using mapview_test::PictureRecord;

// A state with the catalogue and picture index of three maps; "dunes" has mpp
// 2 and its top-left corner at world (100, 300).
EditorState ThreeMaps() {
    EditorState state;
    state.mapCatalogue = {Map("steppe", 4.0f, -500, 700), Map("dunes", 2.0f, 100, 300),
                          Map("islands", 8.0f, 0, 0)};
    state.pictureIndex = {PictureRecord("steppe"), PictureRecord("dunes"),
                          PictureRecord("islands")};
    return state;
}

EditorState DunesScaled() {
    EditorState state = ThreeMaps();
    const MapScaleResult result = SetMapScale(state, "dunes");
    EXPECT_TRUE(result.messages.empty());
    return state;
}

const ViewRect kStartRect{};

TEST(DrawingAreaSize, IsTheViewWithoutItsBorder) {
    EXPECT_EQ(DrawingAreaSize({640, 480}), (ViewSize{636, 476}));
    EXPECT_EQ(DrawingAreaSize({5, 4}), (ViewSize{1, 0}));
    EXPECT_EQ(DrawingAreaSize({2, 0}), (ViewSize{0, 0}));
}

struct PixelWorldCase {
    PixelPoint pixel;
    WorldPoint world;
};

TEST(ViewTransform, MapsPixelsAndWorldBothWaysAfterSetMapScale) {
    const EditorState state = DunesScaled();
    const ViewTransform transform(state.viewRect, DrawingAreaSize(kMapViewSize));
    const PixelWorldCase cases[] = {
        {{0, 0}, {100, 300}},
        {{636, 476}, {-1180, -660}},
        {{318, 238}, {-540, -180}},
        {{-159, 119}, {420, 60}},
    };
    for (const PixelWorldCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "pixel " << c.pixel.x << ", " << c.pixel.y);
        const WorldPoint world = transform.toWorld(c.pixel);
        EXPECT_DOUBLE_EQ(world.x, c.world.x);
        EXPECT_DOUBLE_EQ(world.z, c.world.z);
        const PixelPoint pixel = transform.toPixel(c.world);
        EXPECT_NEAR(pixel.x, c.pixel.x, 1e-9);
        EXPECT_NEAR(pixel.y, c.pixel.y, 1e-9);
    }
}

TEST(ViewTransform, FollowsTheDrawingAreaNotTheOuterSize) {
    const EditorState state = DunesScaled();
    // The same world rectangle over a view twice as wide.
    const ViewTransform transform(state.viewRect, DrawingAreaSize({1276, 480}));
    EXPECT_DOUBLE_EQ(transform.toWorld({1272, 0}).x, -1180.0);
}

TEST(ViewTransform, AZeroWorldWidthGivesNoFinitePixel) {
    const ViewTransform transform(ViewRect{0, 0, 0, 0}, {636, 476});
    EXPECT_FALSE(std::isfinite(transform.toPixel({5, 5}).x));
    EXPECT_FALSE(std::isfinite(transform.toPixel({0, 0}).y));
}

TEST(SetMapScale, GivesTheMapsCoordinateSystem) {
    EditorState state = ThreeMaps();
    const MapScaleResult result = SetMapScale(state, "dunes");
    EXPECT_TRUE(result.messages.empty());
    EXPECT_TRUE(result.resizeView);
    EXPECT_EQ(state.currentMap, 2);
    EXPECT_EQ(state.viewZoom, -2.0);
    EXPECT_EQ(state.viewRect, (ViewRect{100, 300, -1280, -960}));
}

TEST(SetMapScale, KeepsTheZoomAsTheFloatMppWidened) {
    EditorState state = ThreeMaps();
    state.mapCatalogue[1].mpp = 0.1f;
    SetMapScale(state, "dunes");
    EXPECT_EQ(state.viewZoom, static_cast<double>(-0.1f));
    EXPECT_EQ(state.viewRect.width, static_cast<float>(-640.0 * static_cast<double>(0.1f)));
}

TEST(SetMapScale, IgnoresCaseAndPaddingOnBothLists) {
    EditorState state;
    state.mapCatalogue = {Map(" \x01"
                              "Dunes\t",
                              2.0f, 100, 300)};
    state.pictureIndex = {PictureRecord("DUNES  ")};
    const MapScaleResult result = SetMapScale(state, "dUnEs");
    EXPECT_TRUE(result.messages.empty());
    EXPECT_EQ(state.currentMap, 1);
    // The lookups leave the names cleaned.
    EXPECT_EQ(state.mapCatalogue[0].name, "Dunes       ");
    EXPECT_EQ(CleanText(state.pictureIndex[0].name), "DUNES");
}

TEST(SetMapScale, TheLastMatchingRecordWins) {
    EditorState state = ThreeMaps();
    state.mapCatalogue.push_back(Map("DUNES", 3.0f, -7, 9));
    state.pictureIndex = {PictureRecord("steppe"), PictureRecord("islands"),
                          PictureRecord("Dunes")};
    const MapScaleResult result = SetMapScale(state, "dunes");
    EXPECT_TRUE(result.messages.empty());
    EXPECT_EQ(state.currentMap, 4);
    EXPECT_EQ(state.viewRect, (ViewRect{-7, 9, -1920, -1440}));
}

struct ScaleErrorCase {
    const char* what;
    const char* mapName;
    int earlierMap;      // currentMap before the call
    bool pictureMissing; // the picture index lacks "dunes"
    float dunesMpp;
    int currentMapAfter;
    double viewZoomAfter;
};

class SetMapScaleError : public testing::TestWithParam<ScaleErrorCase> {};

TEST_P(SetMapScaleError, ReportsAndKeepsTheCoordinateSystem) {
    const ScaleErrorCase& c = GetParam();
    EditorState state = ThreeMaps();
    state.currentMap = c.earlierMap;
    state.viewZoom = 123.0;
    state.mapCatalogue[1].mpp = c.dunesMpp;
    if (c.pictureMissing) {
        state.pictureIndex.erase(state.pictureIndex.begin() + 1);
    }
    const MapScaleResult result = SetMapScale(state, c.mapName);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Major error in Scale.");
    EXPECT_EQ(result.messages[0].title, "KMission");
    EXPECT_FALSE(result.resizeView);
    EXPECT_EQ(state.viewRect, kStartRect);
    EXPECT_EQ(state.currentMap, c.currentMapAfter);
    if (std::isnan(c.viewZoomAfter)) {
        EXPECT_TRUE(std::isnan(state.viewZoom));
    } else {
        EXPECT_EQ(state.viewZoom, c.viewZoomAfter);
    }
}

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, SetMapScaleError,
    testing::Values(
        // No record 0: the zoom stays as it was.
        ScaleErrorCase{"no map and none before", "sahara", 0, false, 2.0f, 0, 123.0},
        // The zoom comes from the map found before.
        ScaleErrorCase{"no map islands before", "sahara", 3, false, 2.0f, 3, -8.0},
        ScaleErrorCase{"no picture", "dunes", 0, true, 2.0f, 2, -2.0},
        ScaleErrorCase{"mpp zero", "dunes", 0, false, 0.0f, 2, -0.0},
        ScaleErrorCase{"mpp not a number", "dunes", 0, false, kNan, 2, kNan}),
    [](const testing::TestParamInfo<ScaleErrorCase>& info) {
        std::string name = info.param.what;
        for (char& c : name) {
            if (c == ' ' || c == ',') {
                c = '_';
            }
        }
        return name;
    });

struct ZoomCase {
    const char* steps; // 'i' Zoom In, 'o' Zoom Out
    PixelRect picture;
};

TEST(MapPictureRect, FollowsTheZoom) {
    const ZoomCase cases[] = {
        {"", {0, 0, 640, 480}},   {"i", {0, 0, 674, 505}},  {"o", {0, 0, 610, 457}},
        {"ii", {0, 0, 709, 532}}, {"io", {0, 0, 642, 481}},
    };
    for (const ZoomCase& c : cases) {
        SCOPED_TRACE(c.steps);
        EditorState state = DunesScaled();
        for (const char* step = c.steps; *step != '\0'; ++step) {
            *step == 'i' ? ZoomIn(state) : ZoomOut(state);
        }
        EXPECT_EQ(MapPictureRect(state), c.picture);
    }
}

TEST(MapPictureRect, MovesWithTheTopLeftCorner) {
    EditorState state = DunesScaled();
    state.viewRect.left = 80.0f; // panned 10 picture pixels to the left
    state.viewRect.top = 305.0f; // 2.5 pixels: halves go to the even pixel
    EXPECT_EQ(MapPictureRect(state), (PixelRect{-10, 2, 640, 480}));
    state.viewRect.top = 307.0f; // 3.5 pixels
    EXPECT_EQ(MapPictureRect(state), (PixelRect{-10, 4, 640, 480}));
}

TEST(MapPictureRect, NothingWithoutAMapOrWithAZeroZoom) {
    EditorState state = DunesScaled();
    state.viewZoom = 0.0;
    EXPECT_EQ(MapPictureRect(state), std::nullopt);
    EditorState none = ThreeMaps();
    none.viewZoom = -2.0;
    EXPECT_EQ(MapPictureRect(none), std::nullopt);
}

TEST(MapPictureRect, NothingWhenTheZoomHasRunAway) {
    EditorState state = DunesScaled();
    state.viewZoom = -1e-300;
    EXPECT_EQ(MapPictureRect(state), std::nullopt);
}

TEST(ZoomView, InThenOutLeavesNinetyNinePointSevenFivePercent) {
    EditorState state = DunesScaled();
    ZoomIn(state);
    ZoomOut(state);
    EXPECT_DOUBLE_EQ(state.viewZoom, -2.0 * 0.9975);
    EXPECT_FLOAT_EQ(state.viewRect.width, -1280.0f * 0.9975f);
    EXPECT_NE(state.viewRect.width, -1280.0f);
}

TEST(ZoomView, StoresTheScaledSizeAsFloatAndKeepsTheCorner) {
    EditorState state = DunesScaled();
    state.viewRect.width = 0.1f;
    ZoomIn(state);
    EXPECT_EQ(state.viewRect.width, static_cast<float>(static_cast<double>(0.1f) * 0.95));
    EXPECT_EQ(state.viewRect.height, -912.0f);
    EXPECT_EQ(state.viewRect.left, 100.0f);
    EXPECT_EQ(state.viewRect.top, 300.0f);
    // viewZoom keeps its double product, not a float.
    EXPECT_EQ(state.viewZoom, -2.0 * 0.95);
}

TEST(ZoomView, WorksBeforeAnyMissionIsOpen) {
    EditorState state;
    ZoomOut(state);
    EXPECT_EQ(state.viewRect, (ViewRect{-8000, -11000, 16800, 17010}));
}

struct ResizeCase {
    ViewSize view;
    ViewSize client;
    ViewSize expected;
};

TEST(ResizedViewSize, KeepsTheMarginsWhileTheyFit) {
    const ResizeCase cases[] = {
        {{640, 480}, {648, 513}, {640, 480}}, // the design size
        {{640, 480}, {808, 633}, {800, 600}}, {{640, 480}, {9, 34}, {1, 1}},
        {{640, 480}, {8, 513}, {640, 480}},  // no width left: the width stays
        {{640, 480}, {648, 33}, {640, 480}}, // no height left: the height stays
        {{300, 200}, {0, 0}, {300, 200}},     {{300, 200}, {-5, 1000}, {300, 967}},
    };
    for (const ResizeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "client " << c.client.width << " x " << c.client.height);
        EXPECT_EQ(ResizedViewSize(c.view, c.client), c.expected);
    }
}

TEST(ResetView, RestoresTheMapsScaleAfterZoomAndPan) {
    EditorState state = DunesScaled();
    state.mapLoaded = true;
    const ViewRect opened = state.viewRect;
    ZoomIn(state);
    ZoomIn(state);
    ZoomIn(state);
    state.viewRect.left += 55.5f;
    state.viewRect.top -= 12.0f;
    ResetView(state, kMapViewSize);
    EXPECT_EQ(state.viewRect, opened);
    EXPECT_EQ(state.viewZoom, -2.0);
}

TEST(ResetView, UsesTheViewsCurrentSize) {
    EditorState state = DunesScaled();
    state.mapLoaded = true;
    ResetView(state, {800, 600});
    EXPECT_EQ(state.viewRect, (ViewRect{100, 300, -1600, -1200}));
}

TEST(ResetView, DoesNothingWithoutALoadedMap) {
    EditorState notLoaded = DunesScaled();
    ZoomIn(notLoaded);
    const EditorState before = notLoaded;
    ResetView(notLoaded, kMapViewSize);
    EXPECT_EQ(notLoaded.viewRect, before.viewRect);
    EXPECT_EQ(notLoaded.viewZoom, before.viewZoom);

    EditorState noRecord;
    noRecord.mapLoaded = true;
    ResetView(noRecord, kMapViewSize);
    EXPECT_EQ(noRecord.viewRect, kStartRect);

    EditorState zeroMpp = DunesScaled();
    zeroMpp.mapLoaded = true;
    zeroMpp.mapCatalogue[1].mpp = 0.0f;
    ZoomIn(zeroMpp);
    const ViewRect zoomed = zeroMpp.viewRect;
    ResetView(zeroMpp, kMapViewSize);
    EXPECT_EQ(zeroMpp.viewRect, zoomed);
}

} // namespace
} // namespace kmission
