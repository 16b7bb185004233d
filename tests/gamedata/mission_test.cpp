#include "mission.h"

#include "core_fixtures.h"
#include "text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace kmission {
namespace {

using namespace std::string_literals;
using fixtures::ArchiveBuilder;
using fixtures::BytesOf;
using fixtures::IntNode;
using fixtures::ListNode;
using fixtures::MissionInfo;
using fixtures::Nodes;
using fixtures::StringNode;
using fixtures::ValueStream;

Bytes UnitStream() {
    return ValueStream()
        .list(2)
        .text("player_1")
        .list(8)
        .integer(1)
        .integer(2)
        .real(-1500.5f)
        .real(20.0f)
        .real(3000.0f)
        .real(90.0f)
        .bytes();
}

// A mission archive: a region entry, the info entry and a unit entry.
ArchiveBuilder Mission(std::string_view name = "Desert Storm",
                       std::initializer_list<std::string_view> maps = {"dunes"}) {
    ArchiveBuilder archive;
    archive.entry("reg_inside1.prd", ValueStream().text("node_1").integer(5).bytes())
        .entry("mpinfo.prd", MissionInfo(name, maps))
        .entry("aiv_units.prd", UnitStream());
    return archive;
}

TEST(ReadMission, LoadsEveryEntryAndTheMissionName) {
    ArchiveBuilder archive = Mission();
    const MissionLoad load = ReadMission(archive.standard());
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_TRUE(load.messages.empty());
    EXPECT_EQ(load.missionName, "Desert Storm");
    EXPECT_EQ(load.mapNames, std::vector<std::string>{"dunes"});

    const MissionModel& mission = load.mission;
    ASSERT_EQ(mission.missionEntryCount(), 3);
    EXPECT_EQ(mission.archiveDirectory, archive.records());
    EXPECT_EQ(mission.missionEntries[0].name, PadText("reg_inside1.prd", 64));
    EXPECT_EQ(mission.missionEntries[0].nodes, Nodes({StringNode("node_1"), IntNode("5")}));
    EXPECT_EQ(mission.missionEntries[1].nodes[5], StringNode("Desert Storm"));
    EXPECT_EQ(mission.missionEntries[2].nodeCount(), 9);
    EXPECT_EQ(mission.missionEntries[2].nodes[6], fixtures::FloatNode("-1500.5"));
    EXPECT_EQ(FindMissionInfo(mission), 1);
}

// The directory keeps the names as read; only the parsed entries are cleaned.
TEST(ReadMission, DirectoryKeepsNamesAsRead) {
    ArchiveBuilder archive;
    archive.entry("  mpinfo.prd\t", MissionInfo("m", {}), ' ').entry("aiv\xE9.prd", UnitStream());
    const MissionLoad load = ReadMission(archive.standard());
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(load.mission.archiveDirectory[0].name, fixtures::Padded("  mpinfo.prd\t", 64, ' '));
    EXPECT_EQ(load.mission.archiveDirectory[1].name, fixtures::Padded("aiv\xE9.prd", 64));
    EXPECT_EQ(load.mission.missionEntries[0].name, PadText("mpinfo.prd", 64));
    EXPECT_EQ(load.mission.missionEntries[1].name, PadText("aiv\xE9.prd", 64));
}

TEST(ReadMission, OneEntryMissionLoads) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("Solo", {"hills"}));
    const MissionLoad load = ReadMission(archive.standard());
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(load.missionName, "Solo");
    EXPECT_EQ(load.mission.missionEntryCount(), 1);
}

TEST(ReadMission, TenThousandEntriesLoad) {
    ArchiveBuilder archive;
    for (int i = 0; i < 9999; ++i)
        archive.entry("e.prd", ValueStream().integer(i).bytes());
    archive.entry("mpinfo.prd", MissionInfo("Big", {}));
    const MissionLoad load = ReadMission(archive.standard());
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    ASSERT_EQ(load.mission.missionEntryCount(), 10000);
    EXPECT_EQ(load.mission.missionEntries[9998].nodes, Nodes({IntNode("9998")}));
}

const Message kExpansion{"Sorry not for Ashen Tide expansion."};

TEST(ReadMission, OnlyTheStandardTrailerIsAccepted) {
    ArchiveBuilder archive = Mission();
    const std::pair<const char*, Bytes> cases[] = {
        {"count 10001", archive.standardWithCount(10001)},
        {"count 0", archive.standardWithCount(0)},
        {"negative count", archive.standardWithCount(-3)},
        {"alternate form", archive.alternate(0)},
        {"empty file", Bytes{}},
    };
    for (const auto& [label, file] : cases) {
        SCOPED_TRACE(label);
        const MissionLoad load = ReadMission(file);
        EXPECT_EQ(load.outcome, LoadOutcome::Refused);
        EXPECT_EQ(load.messages, Messages{kExpansion});
    }
}

TEST(ReadMission, BadTagIsACorruptedMission) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("m", {}));
    const Bytes units = ValueStream().text("player_1").tag(7).integer(3).bytes();
    const std::int32_t at = archive.data(units);
    archive.record(fixtures::Record("aiv.prd", at, static_cast<std::int32_t>(units.size())));
    const MissionLoad load = ReadMission(archive.standard());
    EXPECT_EQ(load.outcome, LoadOutcome::Refused);
    const std::string position = std::to_string(at + 16 + 4);
    EXPECT_EQ(load.messages,
              (Messages{Message{"Corrupted Mission!  7"}, Message{position, "Fpos"}}));
}

TEST(ReadMission, NegativeTagIsReportedWithItsSign) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", ValueStream().tag(-3).bytes());
    const MissionLoad load = ReadMission(archive.standard());
    EXPECT_EQ(load.outcome, LoadOutcome::Refused);
    EXPECT_EQ(load.messages, (Messages{Message{"Corrupted Mission! -3"}, Message{"4", "Fpos"}}));
}

TEST(ReadMission, WithoutInfoEntryIsABuiltInMission) {
    ArchiveBuilder archive;
    archive.entry("reg_a.prd", ValueStream().integer(1).bytes())
        .entry("MPINFO.PRD", MissionInfo("m", {}))
        .entry("mpinfo.prd2", MissionInfo("m", {}));
    const MissionLoad load = ReadMission(archive.standard());
    EXPECT_EQ(load.outcome, LoadOutcome::NoMission);
    EXPECT_EQ(load.messages, Messages{Message{"Built in Mission not available to edit!"}});
    EXPECT_EQ(load.mission.missionEntryCount(), 0);
    EXPECT_FALSE(load.missionName.has_value());
}

TEST(ReadMission, AnyArchiveLoadsWhenNoInfoEntryIsRequired) {
    ArchiveBuilder archive;
    archive.entry("reg_a.prd", ValueStream().integer(1).bytes());
    MissionReadOptions options;
    options.requireMissionInfo = false;
    const MissionLoad load = ReadMission(archive.standard(), options);
    EXPECT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_TRUE(load.messages.empty());
    EXPECT_EQ(load.mission.missionEntryCount(), 1);
}

// A reader that takes each entry as it is read gets them all, in order, while
// the mission keeps only their names.
TEST(ReadMission, HandsOverEachEntryWhenAskedTo) {
    const MissionLoad whole = ReadMission(Mission().standard());
    std::vector<std::pair<std::size_t, NodeList>> taken;
    MissionReadOptions options;
    options.takeEntry = [&taken](std::size_t slot, EntryTree& entry) {
        taken.emplace_back(slot, entry.nodes);
    };
    const MissionLoad load = ReadMission(Mission().standard(), options);
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    ASSERT_EQ(taken.size(), 3u);
    for (std::size_t i = 0; i < taken.size(); ++i) {
        EXPECT_EQ(taken[i], std::make_pair(i, whole.mission.missionEntries[i].nodes));
        EXPECT_EQ(load.mission.missionEntries[i].name, whole.mission.missionEntries[i].name);
        EXPECT_EQ(load.mission.missionEntries[i].nodeCount(), 0);
    }
}

TEST(ReadMission, LaterInfoEntryIsTheMissionInfo) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("Early", {"dunes"}))
        .entry("aiv.prd", UnitStream())
        .entry("mpinfo.prd", MissionInfo("Late", {"hills"}), ' ')
        .entry("reg_x.prd", ValueStream().integer(1).bytes());
    const MissionLoad load = ReadMission(archive.standard());
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(load.missionName, "Late");
    EXPECT_EQ(load.mapNames, std::vector<std::string>{"hills"});
    EXPECT_EQ(FindMissionInfo(load.mission), 2);
}

TEST(ReadMission, NodeThreeOtherThanDbNameLoadsWithoutAName) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("m", {"dunes"}, "DB_NAME"));
    const MissionLoad load = ReadMission(archive.standard());
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_TRUE(load.messages.empty());
    EXPECT_FALSE(load.missionName.has_value());
    EXPECT_TRUE(load.mapNames.empty());
}

TEST(ReadMission, CollectsEveryMapValueInOrder) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("m", {"Dunes", "hills", "dunes"}));
    const MissionLoad load = ReadMission(archive.standard());
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(load.mapNames, (std::vector<std::string>{"Dunes", "hills", "dunes"}));
}

// The scan for "MAP" keys stops before the last node, so a key there is not
// seen; one node earlier it is seen but has no value node.
TEST(ReadMission, MapKeyNearTheEndIsHarmless) {
    ArchiveBuilder last;
    last.entry("mpinfo.prd", ValueStream().raw(MissionInfo("m", {"dunes"})).text("MAP").bytes());
    const MissionLoad atLast = ReadMission(last.standard());
    ASSERT_EQ(atLast.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(atLast.missionName, "m");
    EXPECT_EQ(atLast.mapNames, std::vector<std::string>{"dunes"});

    ArchiveBuilder second_to_last;
    second_to_last.entry("mpinfo.prd",
                         ValueStream().raw(MissionInfo("m", {})).text("MAP").list(2).bytes());
    const MissionLoad early = ReadMission(second_to_last.standard());
    EXPECT_EQ(early.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(early.missionName, "m");
}

Bytes entry_with_values(int count) {
    ValueStream stream;
    for (int i = 0; i < count; ++i)
        stream.integer(i);
    return stream.bytes();
}

TEST(ReadMission, EntryNodeCountIsSixteenBit) {
    ArchiveBuilder fits;
    fits.entry("mpinfo.prd", MissionInfo("m", {})).entry("big.prd", entry_with_values(32767));
    const MissionLoad loaded = ReadMission(fits.standard());
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(loaded.mission.missionEntries[1].nodeCount(), 32767);

    ArchiveBuilder too_many;
    too_many.entry("mpinfo.prd", MissionInfo("m", {})).entry("big.prd", entry_with_values(32768));
    const MissionLoad refused = ReadMission(too_many.standard());
    EXPECT_EQ(refused.outcome, LoadOutcome::Refused);
    ASSERT_FALSE(refused.messages.empty());
    EXPECT_NE(refused.messages[0].text.find("big.prd"), std::string::npos)
        << refused.messages[0].text;
}

TEST(ReadMission, NegativeStringLengthIsRefused) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("m", {}))
        .entry("bad.prd", ValueStream().textWithLength(-1, "").bytes());
    const MissionLoad load = ReadMission(archive.standard());
    EXPECT_EQ(load.outcome, LoadOutcome::Refused);
    EXPECT_FALSE(load.messages.empty());
}

TEST(ReadMission, DirectoryLargerThanTheFileIsRefused) {
    ArchiveBuilder archive = Mission();
    const MissionLoad load = ReadMission(archive.standardWithCount(50));
    EXPECT_EQ(load.outcome, LoadOutcome::Refused);
    EXPECT_FALSE(load.messages.empty());
}

// Directory records that point outside the file: the parser's end-of-file
// rule ends such an entry, or the archive is refused; nothing is read from
// outside the bytes.
TEST(ReadMission, EntriesOutsideTheFileAreHarmless) {
    const std::pair<std::int32_t, std::int32_t> placements[] = {
        {1000000, 10}, {-50, 10}, {INT_MIN, INT_MAX}, {0, -8}, {4, INT_MAX},
    };
    for (const auto& [offset, size] : placements) {
        SCOPED_TRACE(std::to_string(offset) + ", " + std::to_string(size));
        ArchiveBuilder archive;
        archive.entry("mpinfo.prd", MissionInfo("m", {}));
        archive.record(fixtures::Record("stray.prd", offset, size));
        const MissionLoad load = ReadMission(archive.standard());
        if (load.outcome == LoadOutcome::Loaded) {
            EXPECT_EQ(load.mission.missionEntryCount(), 2);
            EXPECT_EQ(load.missionName, "m");
        } else {
            EXPECT_EQ(load.outcome, LoadOutcome::Refused);
            EXPECT_FALSE(load.messages.empty());
        }
    }
}

TEST(LoadMissionFile, MissingFileIsABadPath) {
    fixtures::TempDir folder;
    const MissionLoad load = LoadMissionFile(folder.file("readermp01.PBD"));
    EXPECT_EQ(load.outcome, LoadOutcome::Refused);
    EXPECT_EQ(load.messages, Messages{Message{"Bad Path!"}});
}

TEST(LoadMissionFile, ReadsTheFileLikeTheBytes) {
    fixtures::TempDir folder;
    const Bytes file = Mission().standard();
    const MissionLoad load = LoadMissionFile(folder.write("readermp01.PBD", file));
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(load.mission, ReadMission(file).mission);
    EXPECT_EQ(load.missionName, "Desert Storm");
}

TEST(MissionWindowTitle, PrefixesTheProgramName) {
    EXPECT_EQ(MissionWindowTitle("Desert Storm"), "Korv Mission Editor [BETA1] - Desert Storm");
    EXPECT_EQ(MissionWindowTitle(""), "Korv Mission Editor [BETA1] - ");
}

TEST(EntryKinds, GoByTheStartOfTheCleanedText) {
    EXPECT_TRUE(IsRegionEntry("reg_inside1.prd"));
    EXPECT_FALSE(IsRegionEntry("REG_inside1.prd"));
    EXPECT_FALSE(IsRegionEntry("reg.prd"));
    EXPECT_TRUE(IsUnitEntry("aiv_units.prd"));
    EXPECT_TRUE(IsUnitEntry("aiv"));
    EXPECT_FALSE(IsUnitEntry("AIV.prd"));
    for (const char* unit : {"player", "player_1", "stealth2", "remote_x"})
        EXPECT_TRUE(IsUnitNode(unit)) << unit;
    for (const char* other : {"remote", "Player_1", "playe", "xplayer", ""})
        EXPECT_FALSE(IsUnitNode(other)) << other;
    EXPECT_TRUE(IsCornerNode("node_1"));
    EXPECT_FALSE(IsCornerNode("node1"));
    EXPECT_FALSE(IsCornerNode("Node_1"));
}

TEST(MatchMapMenuItems, LowerCasesTheValueButNotTheCaptions) {
    const std::vector<std::string> captions = {"dunes       ", "Dunes       ", "hills       ",
                                               "abcdefghijkl", "dunes"};
    EXPECT_EQ(MatchMapMenuItems(captions, "Dunes"), (std::vector<int>{0, 4}));
    EXPECT_EQ(MatchMapMenuItems(captions, "dunes"), (std::vector<int>{0, 4}));
    EXPECT_EQ(MatchMapMenuItems(captions, "DUNES"), (std::vector<int>{0, 4}));
    EXPECT_EQ(MatchMapMenuItems(captions, "HILLS"), std::vector<int>{2});
    EXPECT_TRUE(MatchMapMenuItems(captions, "abcdefghijklmno").empty());
    EXPECT_EQ(MatchMapMenuItems(captions, "abcdefghijkl"), std::vector<int>{3});
    EXPECT_TRUE(MatchMapMenuItems(captions, "desert").empty());
    EXPECT_TRUE(MatchMapMenuItems({}, "dunes").empty());
}

TEST(MatchMapMenuItems, CapitalCaptionMatchesNothing) {
    const std::vector<std::string> captions = {"Dunes       "};
    for (const char* value : {"Dunes", "dunes", "DUNES"})
        EXPECT_TRUE(MatchMapMenuItems(captions, value).empty()) << value;
}

} // namespace
} // namespace kmission
