// The benchmarks measure what these inputs make the editor do; an input that
// the editor refused or that lacked the objects it claims would measure the
// wrong thing.

#include "synthetic_mission.h"

#include "environment_values.h"
#include "picture_decoder.h"
#include "text.h"
#include "unit_editing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>

namespace kmission::bench {
namespace {

struct Shape {
    const char* name;
    MissionSpec plan;
};

void PrintTo(const Shape& shape, std::ostream* out) {
    *out << shape.name;
}

class SyntheticMissionTest : public ::testing::TestWithParam<Shape> {};

// World rectangle of the bench map's picture: X and Z fall from the offsets.
bool OnTheMap(double x, double z) {
    const demo::DemoMap& map = BenchMap();
    return x <= map.offsetX && x >= map.offsetX - 640.0 * map.mpp && z <= map.offsetZ &&
           z >= map.offsetZ - 480.0 * map.mpp;
}

TEST_P(SyntheticMissionTest, OpensAsAMissionOfTheShapeItWasAskedFor) {
    const MissionSpec& plan = GetParam().plan;
    const Bytes bytes = GenerateMission(plan);
    EXPECT_GE(static_cast<std::int64_t>(bytes.size()), plan.minimumBytes);
    EXPECT_LT(static_cast<std::int64_t>(bytes.size()), plan.minimumBytes + 512 * 1024);

    const MissionLoad load = ReadMission(bytes);
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(load.missionName, "Benchmark Storm");
    EXPECT_EQ(load.mapNames, std::vector<std::string>{BenchMap().name});
    EXPECT_LE(load.mission.missionEntryCount(), kMaxArchiveEntries);

    int units = 0;
    int regions = 0;
    for (const EntryTree& entry : load.mission.missionEntries) {
        const std::string name = CleanText(entry.name);
        EXPECT_LE(entry.nodeCount(), kMaxEntryNodes) << name;
        if (IsUnitEntry(name)) {
            for (int k = 1; k <= entry.nodeCount(); ++k) {
                if (IsUnitWithValues(entry, k)) {
                    ++units;
                    EXPECT_TRUE(OnTheMap(TextToNumber(entry.nodes[k + kUnitXOffset].text()),
                                         TextToNumber(entry.nodes[k + kUnitZOffset].text())))
                        << name << " node " << k;
                }
            }
        } else if (IsRegionEntry(name)) {
            ++regions;
            const auto corners =
                std::count_if(entry.nodes.begin(), entry.nodes.end(),
                              [](const ReaderNode& n) { return IsCornerNode(n.text()); });
            EXPECT_EQ(corners, plan.cornersPerRegion) << name;
        }
    }
    EXPECT_EQ(units, plan.units);
    EXPECT_EQ(regions, plan.regions);
}

// Every environment setting once, in an entry of exactly the size asked for.
TEST_P(SyntheticMissionTest, InfoEntryHoldsEveryEnvironmentKey) {
    const MissionSpec& plan = GetParam().plan;
    const MissionLoad load = ReadMission(GenerateMission(plan));
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    const int info = FindMissionInfo(load.mission);
    ASSERT_GE(info, 0);
    const NodeList& nodes = load.mission.missionEntries[static_cast<std::size_t>(info)].nodes;
    EXPECT_EQ(static_cast<int>(nodes.size()) - 1, plan.infoNodes);
    std::vector<EnvironmentKey> found;
    for (const KeyMatch& match : ScanEnvironment(nodes)) {
        found.push_back(match.key);
    }
    EXPECT_EQ(found, std::vector<EnvironmentKey>(kEnvironmentKeys.begin(), kEnvironmentKeys.end()));
}

// The hover pick's worst case: one unit list of every unit, and its last unit
// found only where it stands.
TEST_P(SyntheticMissionTest, UnitListPicksItsLastUnitAtItsPosition) {
    const MissionSpec& plan = GetParam().plan;
    const MissionModel units = UnitListMission(plan);
    ASSERT_EQ(units.missionEntryCount(), 1);
    const EntryTree& entry = units.missionEntries[0];
    const int last = LastUnitNode(plan);
    ASSERT_TRUE(IsUnitWithValues(entry, kFirstUnitNode));
    ASSERT_TRUE(IsUnitWithValues(entry, last));
    EXPECT_EQ(entry.nodeCount(), last + kUnitAngleOffset + 3); // "vehicle", its list, the type
    const auto x = static_cast<float>(TextToNumber(entry.nodes[last + kUnitXOffset].text()));
    const auto z = static_cast<float>(TextToNumber(entry.nodes[last + kUnitZOffset].text()));
    const auto pick = PickUnit(units, x, z);
    ASSERT_TRUE(pick.has_value());
    EXPECT_EQ(pick->node, last);
}

TEST_P(SyntheticMissionTest, PictureDecodesAtItsSize) {
    const MissionSpec& plan = GetParam().plan;
    const auto picture = DecodePicture(GeneratePicture(plan), 0);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, plan.pictureWidth);
    EXPECT_EQ(picture->height, plan.pictureHeight);
    const auto distinct = std::count_if(picture->pixels.begin(), picture->pixels.end(),
                                        [&](std::uint32_t p) { return p != picture->pixels[0]; });
    EXPECT_GT(distinct, 0) << "a picture of one colour";
}

INSTANTIATE_TEST_SUITE_P(Sizes, SyntheticMissionTest,
                         ::testing::Values(Shape{"tiny", TinySpec()}, Shape{"full", FullSpec()}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SyntheticMission, SameSeedGivesTheSameBytes) {
    MissionSpec plan = TinySpec();
    const Bytes first = GenerateMission(plan);
    EXPECT_EQ(GenerateMission(plan), first);
    EXPECT_EQ(GenerateUnitList(plan), GenerateUnitList(plan));
    EXPECT_EQ(GeneratePicture(plan), GeneratePicture(plan));
    plan.seed += 1;
    EXPECT_NE(GenerateMission(plan), first);
}

// Only a unit list larger than any entry of a file makes the full pick
// benchmark search 10,000 units.
TEST(SyntheticMission, FullUnitListIsLargerThanAnEntryOfAFile) {
    EXPECT_GT(UnitListMission(FullSpec()).missionEntries[0].nodeCount(), kMaxEntryNodes);
    EXPECT_EQ(FullSpec().units, 10000);
}

} // namespace
} // namespace kmission::bench
