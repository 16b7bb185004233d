#include "demo_installation.h"
#include "demo_maps.h"
#include "demo_missions.h"
#include "mission.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace kmission::demo {
namespace {

bool OnLand(const DemoMission& mission, float px, float py) {
    if (px < 0 || py < 0 || px >= kTerrainWidth || py >= kTerrainHeight) {
        return false;
    }
    return !IsWater(DemoTerrain(mission.map).at(static_cast<int>(px), static_cast<int>(py)));
}

TEST(DemoInstallation, PutsUnitsAndRegionsOnLandInsideTheMap) {
    for (const DemoMission& mission : DemoMissionPlans()) {
        SCOPED_TRACE(mission.title);
        const DemoMap& map = DemoMaps().at(mission.map);
        const auto origin = PicturePoint(map, 0, 0);
        EXPECT_TRUE(origin[0] > 0 && origin[0] < kTerrainWidth && origin[1] > 0 &&
                    origin[1] < kTerrainHeight);
        for (const auto* units : {&mission.units, &mission.patrol}) {
            for (const DemoUnit& unit : *units) {
                EXPECT_TRUE(OnLand(mission, unit.px, unit.py)) << unit.name;
            }
        }
        for (const DemoRegion& region : mission.regions) {
            EXPECT_GE(region.corners.size(), 4u);
            EXPECT_LE(region.corners.size(), 8u);
            for (const auto& corner : region.corners) {
                EXPECT_TRUE(OnLand(mission, corner[0], corner[1])) << region.entry;
            }
        }
    }
}

// The editor reads environment values by their distance from the key; none
// of those distances may land on a list header, which a save would write
// back as the list's count.
TEST(DemoInstallation, PlacesEveryEnvironmentValueWhereTheEditorReadsIt) {
    const std::vector<std::pair<std::string, std::vector<int>>> positions{
        {"ambient_temperature", {2}},
        {"jet_ceiling", {2}},
        {"fog", {4, 7, 8, 9, 12, 13, 16, 17, 20, 21}},
        {"rain", {4, 7, 8, 9}},
        {"sun", {4, 5, 6, 9, 12}},
        {"underwater", {4, 5, 6, 9, 10, 13, 14}},
        {"wind", {4, 7, 10, 13, 14}},
        {"global_wind", {4, 5, 6, 9, 12, 15}},
    };
    for (const DemoMission& mission : DemoMissionPlans()) {
        SCOPED_TRACE(mission.title);
        const Bytes bytes = BuildMissionArchive(mission);
        const MissionLoad load = ReadMission(bytes);
        ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
        EXPECT_EQ(load.missionName, mission.title);
        const NodeList& nodes = load.mission.missionEntries.at(0).nodes;
        std::set<std::int32_t> valueTypes;
        for (const auto& [key, offsets] : positions) {
            const auto at =
                std::find_if(nodes.begin(), nodes.end(),
                             [&key = key](const ReaderNode& n) { return n.text() == key; });
            ASSERT_NE(at, nodes.end()) << key;
            const auto k = at - nodes.begin();
            if (key == "fog") {
                EXPECT_EQ(NodeText(nodes, k + 4), mission.environment.horizon);
            }
            for (int offset : offsets) {
                const ReaderNode& value = nodes.at(static_cast<std::size_t>(k + offset));
                EXPECT_NE(value.type(), kNodeList) << key << " + " << offset;
                valueTypes.insert(value.type());
            }
        }
        EXPECT_EQ(valueTypes, (std::set<std::int32_t>{kNodeInteger, kNodeFloat, kNodeString}));
    }
}

TEST(DemoInstallation, OffersEveryKindOfUnitInTheFirstTwoMissions) {
    std::map<std::string, int> kinds;
    for (std::size_t m = 0; m < 2; ++m) {
        const Bytes bytes = BuildMissionArchive(DemoMissionPlans().at(m));
        const MissionLoad load = ReadMission(bytes);
        for (const EntryTree& entry : load.mission.missionEntries) {
            if (!IsUnitEntry(CleanText(entry.name))) {
                continue;
            }
            for (std::size_t k = 1; k < entry.nodes.size(); ++k) {
                if (IsUnitNode(entry.nodes[k].text())) {
                    ++kinds[std::string(entry.nodes[k].text().substr(0, 4))];
                    EXPECT_EQ(NodeText(entry.nodes, static_cast<std::int64_t>(k + 3)), "5");
                }
            }
        }
    }
    EXPECT_GE(kinds["play"], 3);
    EXPECT_GE(kinds["stea"], 3);
    EXPECT_GE(kinds["remo"], 3);
}

TEST(DemoInstallation, DrawsTheSamePicturesFromTheSameSeed) {
    std::set<Ground> seen;
    for (std::size_t m = 0; m < DemoMaps().size(); ++m) {
        const Terrain again = GenerateTerrain(DemoMaps()[m].landscape, DemoMaps()[m].seed);
        EXPECT_EQ(again.pixels, DemoTerrain(m).pixels);
        const Terrain other = GenerateTerrain(DemoMaps()[m].landscape, DemoMaps()[m].seed + 1);
        EXPECT_NE(other.pixels, again.pixels);
        seen.insert(again.ground.begin(), again.ground.end());
    }
    for (Ground ground :
         {Ground::DeepWater, Ground::ShallowWater, Ground::River, Ground::Beach, Ground::Grass,
          Ground::Forest, Ground::Rock, Ground::Road, Ground::Bridge}) {
        EXPECT_TRUE(seen.contains(ground)) << static_cast<int>(ground);
    }
}

TEST(DemoInstallation, WritesTheFolderAsWineDoes) {
    EXPECT_EQ(WindowsPathOnDriveZ("/home/a b/demo"), "Z:\\home\\a b\\demo\\");
    EXPECT_EQ(WindowsPathOnDriveZ("/"), "Z:\\");
    const std::string text = WineRegistryText("Z:\\t\"m\xC3\xA9\\");
    EXPECT_NE(text.find("\n\"Program\"=\"Z:\\\\t\\\"m\\x00e9\\\\\"\n"), std::string::npos) << text;
}

} // namespace
} // namespace kmission::demo
