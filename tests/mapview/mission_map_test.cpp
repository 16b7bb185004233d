#include "mission_map.h"

#include "core_fixtures.h"
#include "map_catalogue.h"
#include "mapview_fixtures.h"
#include "view_transform.h"

#include <gtest/gtest.h>

namespace kmission {
namespace {

using fixtures::PictureSpec;
using mapview_test::Map;

constexpr QRgb kBackground = 0xff405060;

PictureSpec Filled(std::string name, std::int16_t width, std::int16_t height, std::uint16_t pixel) {
    return PictureSpec{std::move(name), width, height,
                       std::vector<std::uint16_t>(static_cast<std::size_t>(width * height), pixel)};
}

// A header that claims more pixels than the file holds.
PictureSpec header_beyond_file() {
    PictureSpec picture = Filled("lying", 100, 100, 0xFFFF);
    picture.pixels.resize(10);
    return picture;
}

class ShowMissionMapsTest : public testing::Test {
protected:
    void SetUp() override {
        // "lying" comes last: its pixel data runs past the end of the file.
        rimage_ = folder_.write("rimage.pbd", fixtures::PictureFile({Filled("dunes", 4, 3, 0xF800),
                                                                     Filled("Forest", 2, 2, 0x001F),
                                                                     header_beyond_file()}));
        state_.mapCatalogue = {Map("dunes", 2.0f, 100, 300), Map("Forest", 1.0f),
                               Map("island", 4.0f), Map("lying", 1.0f, -50, 60)};
        state_.pictureIndex = ReadPictureIndexFile(rimage_);
        for (const MapInfo& map : state_.mapCatalogue) {
            captions_.push_back(map.name);
        }
        previous_ = QImage(640, 480, QImage::Format_RGB32);
        previous_.fill(Qt::magenta);
    }

    MissionMapResult Show(const std::vector<std::string>& mapNames,
                          std::vector<bool> checked = {false, false, false, false}) {
        return ShowMissionMaps(state_, captions_, mapNames, rimage_, std::move(checked), previous_,
                               QColor::fromRgb(kBackground));
    }

    fixtures::TempDir folder_;
    std::string rimage_;
    EditorState state_;
    std::vector<std::string> captions_;
    QImage previous_;
};

TEST_F(ShowMissionMapsTest, ChecksTheMapAndLoadsItsPictureAndScale) {
    const MissionMapResult result = Show({"Dunes"}, {false, true, false, true});
    EXPECT_EQ(result.checked, (std::vector<bool>{true, false, false, false}));
    EXPECT_TRUE(result.messages.empty());
    EXPECT_TRUE(result.resizeView);
    EXPECT_TRUE(state_.mapLoaded);
    EXPECT_EQ(state_.currentMap, 1);
    EXPECT_EQ(state_.viewRect, (ViewRect{100, 300, -1280, -960}));
    ASSERT_EQ(result.surface.size(), QSize(640, 480));
    EXPECT_EQ(result.surface.pixel(3, 2), qRgb(255, 3, 7));
    EXPECT_EQ(result.surface.pixel(4, 2), kBackground);
    EXPECT_EQ(result.surface.pixel(3, 3), kBackground);
}

TEST_F(ShowMissionMapsTest, ACatalogueNameWithCapitalsNeverMatches) {
    const MissionMapResult result = Show({"Forest"}, {false, true, false, false});
    EXPECT_EQ(result.checked, (std::vector<bool>{false, false, false, false}));
    EXPECT_TRUE(result.messages.empty());
    EXPECT_FALSE(result.resizeView);
    EXPECT_FALSE(state_.mapLoaded);
    EXPECT_EQ(state_.currentMap, 0);
    EXPECT_EQ(result.surface, previous_);
}

TEST_F(ShowMissionMapsTest, AMapWithoutAPictureClearsTheSurfaceAndReports) {
    const MissionMapResult result = Show({"island"});
    EXPECT_EQ(result.checked, (std::vector<bool>{false, false, true, false}));
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Major error in Scale.");
    EXPECT_FALSE(result.resizeView);
    EXPECT_TRUE(result.surface.isNull());
    // The picture was attempted: painting goes on with the old coordinate system.
    EXPECT_TRUE(state_.mapLoaded);
    EXPECT_EQ(state_.viewRect, ViewRect{});
}

TEST_F(ShowMissionMapsTest, APictureWhoseHeaderLiesClearsTheSurface) {
    const MissionMapResult result = Show({"lying"});
    EXPECT_EQ(result.checked, (std::vector<bool>{false, false, false, true}));
    EXPECT_TRUE(result.messages.empty());
    EXPECT_TRUE(result.resizeView);
    EXPECT_TRUE(result.surface.isNull());
    EXPECT_EQ(state_.viewRect, (ViewRect{-50, 60, -640, -480}));
}

TEST_F(ShowMissionMapsTest, AnUnreadablePictureFileClearsTheSurface) {
    rimage_ = folder_.file("missing.pbd");
    const MissionMapResult result = Show({"dunes"});
    EXPECT_TRUE(result.surface.isNull());
    EXPECT_TRUE(result.messages.empty());
    EXPECT_TRUE(state_.mapLoaded);
}

TEST_F(ShowMissionMapsTest, EveryMapValueRepeatsTheStepInOrder) {
    const MissionMapResult result = Show({"dunes", "island", "nowhere"});
    // The last value matches nothing and takes every check mark away.
    EXPECT_EQ(result.checked, (std::vector<bool>{false, false, false, false}));
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Major error in Scale.");
    EXPECT_TRUE(result.resizeView); // the view was resized for "dunes"
    EXPECT_TRUE(result.surface.isNull());
    EXPECT_EQ(state_.currentMap, 3);
    EXPECT_EQ(state_.viewRect, (ViewRect{100, 300, -1280, -960}));
    EXPECT_EQ(state_.viewZoom, -4.0);
}

TEST_F(ShowMissionMapsTest, WithoutMapValuesNothingChanges) {
    const MissionMapResult result = Show({}, {false, false, true, false});
    EXPECT_EQ(result.checked, (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(result.surface, previous_);
    EXPECT_FALSE(state_.mapLoaded);
}

TEST_F(ShowMissionMapsTest, TwoItemsOfTheSameNameBothMatch) {
    captions_.push_back("dunes");
    const MissionMapResult result = Show({"dunes"}, {false, false, false, false, false});
    EXPECT_EQ(result.checked, (std::vector<bool>{true, false, false, false, true}));
    EXPECT_TRUE(result.messages.empty());
}

TEST_F(ShowMissionMapsTest, LetsTheCallerRunEventsAfterEveryRow) {
    int rows = 0;
    ShowMissionMaps(state_, captions_, {"dunes"}, rimage_, {}, previous_, Qt::black,
                    [&rows] { ++rows; });
    EXPECT_EQ(rows, 3);
}

} // namespace
} // namespace kmission
