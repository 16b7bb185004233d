#include "render_view.h"

#include "core_fixtures.h"
#include "map_painter.h"
#include "mapview_fixtures.h"

#include <gtest/gtest.h>

namespace kmission {
namespace {

using fixtures::ArchiveBuilder;
using fixtures::ValueStream;
using mapview_test::RgbAt;

constexpr QRgb kButtonFace = 0xfff0f0f0;

struct MapSpec {
    std::string name;
    float mpp;
    std::int32_t offsetX;
    std::int32_t offsetZ;
};

// "maps.prd": "maps" and its count, then one 15-node record per map and a
// node the catalogue walk steps over.
Bytes MapsEntry(const std::vector<MapSpec>& maps) {
    ValueStream stream;
    stream.text("maps").list(static_cast<std::int32_t>(maps.size()));
    for (const MapSpec& map : maps) {
        stream.list(9).setting("name", {map.name}).setting("bitmap", {map.name});
        stream.text("mpp").list(2).real(map.mpp);
        stream.text("offset").list(4).integer(map.offsetX).integer(0).integer(map.offsetZ);
        stream.text("end");
    }
    return stream.bytes();
}

// A named point as the game stores it: name, count, key, count, X, Y, Z, angle.
void Point(ValueStream& stream, std::string_view name, float x, float z) {
    stream.text(name).list(7).text("pos").list(4).real(x).real(0).real(z).real(90);
}

class RenderMissionViewTest : public testing::Test {
protected:
    // No application object: the command-line tool paints without one.
    void SetUp() override {
        folder_.write("reader.pbd", ArchiveBuilder()
                                        .entry("maps.prd", MapsEntry({{"dunes", 2.0f, 100, 300},
                                                                      {"island", 4.0f, 0, 0}}))
                                        .standard());
        // Dunes is all green (7, 255, 7); island has no picture.
        fixtures::PictureSpec dunes{"dunes", 640, 480,
                                    std::vector<std::uint16_t>(640 * 480, 0x07E0)};
        folder_.write("rimage.pbd", fixtures::PictureFile({dunes}));
    }

    std::string Mission(std::initializer_list<std::string_view> maps) {
        ValueStream region;
        Point(region, "node_1", -300, -100);
        Point(region, "node_2", -700, -100);
        ValueStream units;
        Point(units, "player_1", -540, -180);
        return folder_.write("readermp_test.PBD",
                             ArchiveBuilder()
                                 .entry("mpinfo.prd", fixtures::MissionInfo("Test", maps))
                                 .entry("reg_inside_1", region.bytes())
                                 .entry("aiv_units", units.bytes())
                                 .standard());
    }

    RenderResult Render(const std::string& mission) {
        return RenderMissionView(folder_.path().string(), mission);
    }

    fixtures::TempDir folder_;
};

TEST_F(RenderMissionViewTest, PaintsTheMissionOnItsMap) {
    const RenderResult result = Render(Mission({"Dunes"}));
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.mapShown);
    EXPECT_TRUE(result.messages.empty());
    ASSERT_EQ(result.image.size(), QSize(640, 480));
    EXPECT_EQ(RgbAt(result.image, 0, 0), kBorderOuterShadow);
    EXPECT_EQ(RgbAt(result.image, 100, 100), qRgb(7, 255, 7));
    // The unit at world (-540, -180) is drawing-area pixel (318, 238).
    EXPECT_EQ(RgbAt(result.image, 318, 240), kUnitColour);
    EXPECT_EQ(RgbAt(result.image, 320, 240), qRgb(7, 255, 7));
    // The region's line at world Z -100, from X -300 to -700.
    EXPECT_EQ(RgbAt(result.image, 300, 200), kInsideRegionColour);
    // The world origin is at drawing-area pixel (50, 149).
    EXPECT_EQ(RgbAt(result.image, 52, 300), kAxisColour);
    EXPECT_EQ(RgbAt(result.image, 300, 151), kAxisColour);
}

TEST_F(RenderMissionViewTest, AMissionWithoutAKnownMapShowsTheBackground) {
    const RenderResult result = Render(Mission({"atlantis"}));
    ASSERT_TRUE(result.ok);
    EXPECT_FALSE(result.mapShown);
    EXPECT_TRUE(result.messages.empty());
    EXPECT_EQ(RgbAt(result.image, 320, 240), kButtonFace);
    EXPECT_EQ(RgbAt(result.image, 52, 300), kButtonFace);
}

TEST_F(RenderMissionViewTest, AMapWithoutAPictureReportsTheScale) {
    const RenderResult result = Render(Mission({"island"}));
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Major error in Scale.");
    EXPECT_EQ(RgbAt(result.image, 100, 100), kButtonFace);
}

// A shared archive whose trailer names no directory in either form.
Bytes bad_trailer_count() {
    return Bytes(12, 0);
}

// A mission archive whose last int32 claims more entries than the game allows.
Bytes entry_count_beyond_limit() {
    return ArchiveBuilder()
        .entry("mpinfo.prd", fixtures::MissionInfo("X", {}))
        .standardWithCount(10001);
}

TEST_F(RenderMissionViewTest, RefusesWhatTheEditorRefuses) {
    struct Case {
        const char* what;
        std::function<std::string(fixtures::TempDir&)> prepare; // gives the mission path
        const char* message;
    };
    const Case cases[] = {
        {"no shared archive",
         [](fixtures::TempDir& folder) {
             std::filesystem::remove(folder.file("reader.pbd"));
             return folder.file("missing.PBD");
         },
         "Bad Path!"},
        {"shared archive refused",
         [](fixtures::TempDir& folder) {
             folder.write("reader.pbd", bad_trailer_count());
             return folder.file("missing.PBD");
         },
         "Bad File"},
        {"no mission file", [](fixtures::TempDir& folder) { return folder.file("missing.PBD"); },
         "Bad Path!"},
        {"mission refused",
         [](fixtures::TempDir& folder) {
             return folder.write("readermp_x.PBD", entry_count_beyond_limit());
         },
         "Sorry not for Ashen Tide expansion."},
        {"no mission info",
         [](fixtures::TempDir& folder) {
             return folder.write("readermp_x.PBD",
                                 ArchiveBuilder().entry("aiv_units", {}).standard());
         },
         "Built in Mission not available to edit!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const RenderResult result = Render(c.prepare(folder_));
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.image.isNull());
        ASSERT_FALSE(result.messages.empty());
        EXPECT_EQ(result.messages[0].text, c.message);
    }
}

} // namespace
} // namespace kmission
