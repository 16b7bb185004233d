#include "mission_name.h"

#include "mission_save.h"

#include "core_fixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace kmission {
namespace {

using fixtures::ArchiveBuilder;
using fixtures::MissionInfo;
using fixtures::ValueStream;

MissionModel Load(const Bytes& file) {
    const MissionLoad load = ReadMission(file);
    EXPECT_EQ(load.outcome, LoadOutcome::Loaded);
    return load.mission;
}

MissionModel Mission(std::string_view name = "Desert Storm", std::string_view key = "db_name") {
    ArchiveBuilder archive;
    archive.entry("aiv.prd", ValueStream().text("player_1").bytes())
        .entry("mpinfo.prd", MissionInfo(name, {"dunes"}, key));
    return Load(archive.standard());
}

constexpr std::size_t kInfo = 1;

TEST(CurrentMissionName, IsTheCleanedNameOfNodeFive) {
    EXPECT_EQ(CurrentMissionName(Mission()), "Desert Storm");
    EXPECT_EQ(CurrentMissionName(Mission("  spaced  ")), "spaced");
}

TEST(CurrentMissionName, NothingWithoutAMissionOrItsKey) {
    EXPECT_EQ(CurrentMissionName(MissionModel{}), std::nullopt);
    EXPECT_EQ(CurrentMissionName(Mission("m", "name")), std::nullopt);

    MissionModel without_info = Mission();
    without_info.missionEntries.pop_back();
    without_info.archiveDirectory.pop_back();
    EXPECT_EQ(CurrentMissionName(without_info), std::nullopt);
}

TEST(RenameMission, KeepsSpacesInTheNodeButNotInTheTitle) {
    MissionModel mission = Mission();
    const ReaderNode before = mission.missionEntries[kInfo].nodes[5];
    const auto title = RenameMission(mission, "  New Name  ");
    EXPECT_EQ(title, "Korv Mission Editor [BETA1] - New Name");
    const ReaderNode& node = mission.missionEntries[kInfo].nodes[5];
    EXPECT_EQ(node.text(), "  New Name  ");
    EXPECT_EQ(node.type(), before.type());
    EXPECT_EQ(node.length(), before.length());
    EXPECT_EQ(CurrentMissionName(mission), "New Name");
}

TEST(RenameMission, SavedFileHoldsTheSpacesAndReopensCleaned) {
    MissionModel mission = Mission();
    ASSERT_TRUE(RenameMission(mission, " Dune\tRun ").has_value());
    const SerializedMission saved = SerializeMission(mission);
    ASSERT_FALSE(saved.refusal.has_value());
    const Bytes expected = MissionInfo(" Dune\tRun ", {"dunes"});
    const ArchiveEntry& info = saved.directory[kInfo];
    EXPECT_EQ(
        Bytes(saved.bytes.begin() + info.offset, saved.bytes.begin() + info.offset + info.size),
        expected);
    const MissionLoad again = ReadMission(saved.bytes);
    EXPECT_EQ(again.missionName, "DuneRun");
}

TEST(RenameMission, EmptyAnswerChangesNothing) {
    MissionModel mission = Mission();
    const MissionModel before = mission;
    EXPECT_EQ(RenameMission(mission, ""), std::nullopt);
    EXPECT_EQ(mission, before);
}

// Only the empty text counts as cancel: blanks are a name, shown as nothing.
TEST(RenameMission, BlankAnswerIsStored) {
    MissionModel mission = Mission();
    EXPECT_EQ(RenameMission(mission, "   "), "Korv Mission Editor [BETA1] - ");
    EXPECT_EQ(mission.missionEntries[kInfo].nodes[5].text(), "   ");
}

TEST(RenameMission, NothingHappensWithoutAMissionOrItsKey) {
    MissionModel none;
    EXPECT_EQ(RenameMission(none, "x"), std::nullopt);
    EXPECT_EQ(none, MissionModel{});

    MissionModel other_key = Mission("m", "name");
    const MissionModel before = other_key;
    EXPECT_EQ(RenameMission(other_key, "x"), std::nullopt);
    EXPECT_EQ(other_key, before);
}

TEST(RenameMission, RenamesTheLaterInfoEntry) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("Early", {}))
        .entry("mpinfo.prd", MissionInfo("Late", {}));
    MissionModel mission = Load(archive.standard());
    EXPECT_EQ(CurrentMissionName(mission), "Late");
    ASSERT_TRUE(RenameMission(mission, "Renamed").has_value());
    EXPECT_EQ(mission.missionEntries[0].nodes[5].text(), "Early");
    EXPECT_EQ(mission.missionEntries[1].nodes[5].text(), "Renamed");
}

// An info entry that ends right after its "db_name" key has no node 5; the
// rename must neither write past the nodes nor add any.
TEST(RenameMission, InfoEntryWithoutNodeFiveIsLeftWhole) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", ValueStream().list(3).list(2).text("db_name").bytes());
    MissionModel mission = Load(archive.standard());
    ASSERT_EQ(mission.missionEntries[0].nodeCount(), 3);
    RenameMission(mission, "x");
    EXPECT_EQ(mission.missionEntries[0].nodeCount(), 3);
}

} // namespace
} // namespace kmission
