#include "mission.h"
#include "mission_name.h"
#include "mission_save.h"

#include "core_fixtures.h"
#include "text.h"

#include <gtest/gtest.h>

#include <climits>

namespace kmission {
namespace {

using namespace std::string_literals;
using namespace fixtures;

Bytes UnitStream(float x = -1500.5f) {
    return ValueStream().list(2).text("player_1").list(8).integer(1).integer(-2).real(x).bytes();
}

// A mission in exactly the form this program writes: packed entries, no end
// tags, clean strings, seven-digit floats, trailer int32 1, int32 N.
ArchiveBuilder Canonical(std::string_view name = "Desert Storm") {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo(name, {"dunes"}))
        .entry("reg_inside1.prd", ValueStream().text("node_1").real(12.5f).real(-7.0f).bytes())
        .entry("aiv_units.prd", UnitStream());
    return archive;
}

MissionModel Load(const Bytes& file) {
    const MissionLoad load = ReadMission(file);
    EXPECT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_TRUE(load.messages.empty());
    return load.mission;
}

TEST(ReadMission, LoadsEveryEntryTheNameAndTheMaps) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("Early", {"dunes"}))
        .entry("reg_inside1.prd", ValueStream().text("node_1").integer(5).bytes())
        .entry("  mpinfo.prd\t", MissionInfo(" Late ", {"Dunes", "hills", "dunes"}), ' ')
        .entry("aiv\xE9.prd", UnitStream());
    const MissionLoad load = ReadMission(archive.standard());
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(load.missionName, "Late");
    EXPECT_EQ(load.mapNames, (std::vector<std::string>{"Dunes", "hills", "dunes"}));
    EXPECT_EQ(load.mission.archiveDirectory, archive.records()); // names as read
    ASSERT_EQ(load.mission.missionEntryCount(), 4);
    EXPECT_EQ(load.mission.missionEntries[2].name, PadText("mpinfo.prd", 64));
    EXPECT_EQ(load.mission.missionEntries[1].nodes[2], Node(kNodeInteger, "5"));
    EXPECT_EQ(FindMissionInfo(load.mission), 2);
    // The name and maps come only after the exact name key, and reading stops at the last node.
    const std::tuple<Bytes, std::optional<std::string>, std::vector<std::string>> infos[] = {
        {MissionInfo("m", {"dunes"}, "DB_NAME"), std::nullopt, {}},
        {ValueStream().raw(MissionInfo("m", {"a"})).text("MAP").bytes(), "m", {"a"}},
        {ValueStream().raw(MissionInfo("m", {})).text("MAP").list(2).bytes(), "m", {""}},
        {ValueStream().list(3).list(2).text("db_name").bytes(), "", {}}};
    for (const auto& [info, name, maps] : infos) {
        const MissionLoad read = ReadMission(ArchiveBuilder().entry("mpinfo.prd", info).standard());
        EXPECT_EQ(std::tuple(read.outcome, read.missionName, read.mapNames),
                  std::tuple(LoadOutcome::Loaded, name, maps));
    }
}

ArchiveBuilder WithEntry(const Bytes& entry, std::string_view name = "big.prd") {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("m", {})).entry(name, entry);
    return archive;
}

// A mission has no alternate trailer (the bad-input matrix pins the other
// refusals end to end); the most values an entry may hold are kept.
TEST(ReadMission, RefusesWithTheMessageOfTheFault) {
    const MissionLoad alternate = ReadMission(Canonical().alternate(0));
    EXPECT_EQ(alternate.outcome, LoadOutcome::Refused);
    EXPECT_EQ(alternate.messages, Messages{Message{"Sorry not for Ashen Tide expansion."}});
    ValueStream values;
    for (int i = 0; i < 32767; ++i)
        values.integer(i);
    EXPECT_EQ(Load(WithEntry(values.bytes()).standard()).missionEntries[1].nodeCount(), 32767);
}

// Only an entry named exactly "mpinfo.prd" makes a mission of its own.
TEST(ReadMission, WithoutInfoEntryIsABuiltInMission) {
    ArchiveBuilder archive;
    archive.entry("MPINFO.PRD", MissionInfo("m", {})).entry("mpinfo.prd2", MissionInfo("m", {}));
    const MissionLoad load = ReadMission(archive.standard());
    EXPECT_EQ(load.outcome, LoadOutcome::NoMission);
    EXPECT_EQ(load.messages, Messages{Message{"Built in Mission not available to edit!"}});
    EXPECT_TRUE(load.mission == MissionModel{} && !load.missionName);
}

TEST(MissionKinds, GoByTheStartOfTheTextAndTheCaseOfTheCaption) {
    EXPECT_TRUE(IsRegionEntry("reg_inside1.prd") && IsUnitEntry("aiv") && IsCornerNode("node_1"));
    EXPECT_FALSE(IsRegionEntry("REG_inside1.prd") || IsRegionEntry("reg.prd") ||
                 IsUnitEntry("AIV.prd") || IsCornerNode("node1"));
    EXPECT_TRUE(IsUnitNode("player") && IsUnitNode("stealth2") && IsUnitNode("remote_x"));
    for (const char* other : {"remote", "Player_1", "playe", "xplayer", "stealt", ""})
        EXPECT_FALSE(IsUnitNode(other)) << other;
    const std::vector<std::string> captions = {"dunes       ", "Dunes       ", "abcdefghijkl",
                                               "dunes"};
    EXPECT_EQ(MatchMapMenuItems(captions, "DUNES"), (std::vector<int>{0, 3}));
    EXPECT_EQ(MatchMapMenuItems(captions, "abcdefghijkl"), std::vector<int>{2});
    EXPECT_TRUE(MatchMapMenuItems(captions, "abcdefghijklmno").empty());
}

// A file too large to be read whole is read a part at a time: whatever its
// entries claim (a string across parts, entries before, beyond or behind the
// part in hand, sizes to the end of the file), it opens exactly as its bytes.
TEST(LoadMissionFile, ReadsALargeFileInPartsExactlyAsItsBytes) {
    using Records = std::vector<std::tuple<const char*, std::int32_t, std::int32_t>>;
    const Bytes huge = ValueStream().text(std::string(5 << 20, 'h')).integer(3).bytes();
    const Bytes longString = ValueStream().textWithLength(3 << 20, "s").bytes();
    const Bytes info = MissionInfo("Large", {"dunes"});
    const auto size = [](const Bytes& bytes) { return static_cast<std::int32_t>(bytes.size()); };
    const std::int32_t longAt = size(huge), infoAt = longAt + size(longString) + (3 << 20);
    const auto archive = [&](const Records& more) {
        ArchiveBuilder file;
        file.entry("huge.prd", huge).data(longString);
        file.gap(3 << 20, 0).entry("mpinfo.prd", info).entry("aiv_units.prd", UnitStream());
        for (const auto& [name, offset, length] : more)
            file.record(Record(name, offset, length));
        return file.standard();
    };
    const std::int32_t end = size(archive({}));
    const Records cases[] = {
        {},
        {{"again.prd", 0, 100}, {"early.prd", -100, 108}, {"late.prd", end, 8}},
        {{"long.prd", longAt, 8}},
        {{"claims.prd", infoAt, INT32_MAX}}};
    TempDir folder;
    for (const Records& more : cases) {
        SCOPED_TRACE(more.empty() ? "" : std::get<0>(more[0]));
        const Bytes bytes = archive(more);
        const MissionLoad read = ReadMission(bytes);
        const MissionLoad loaded = LoadMissionFile(folder.write("large.PBD", bytes));
        EXPECT_EQ(std::tie(loaded.outcome, loaded.messages, loaded.mission, loaded.missionName),
                  std::tie(read.outcome, read.messages, read.mission, read.missionName));
    }
}

SerializedMission Serialize(const MissionModel& mission) {
    SerializedMission saved = SerializeMission(mission);
    EXPECT_FALSE(saved.refusal.has_value()) << (saved.refusal ? saved.refusal->text : "");
    return saved;
}

// The archive as another tool might have left it: entries out of order, gaps,
// end tags, strings with controls and spaces, floats that need more than seven
// digits, an empty entry and a first trailer word other than 1.
Bytes Untidy() {
    ArchiveBuilder archive;
    const Bytes info = ValueStream().raw(MissionInfo("  Desert\tStorm ", {"dunes"})).end().bytes();
    const Bytes units = UnitStream(12345678.0f);
    const Bytes region = ValueStream().text("node_1\0\0"s).integer(-9).end().bytes();
    const std::int32_t unitsAt = archive.gap(3).data(units);
    const std::int32_t regionAt = archive.gap(17).data(region);
    const std::int32_t infoAt = archive.data(info);
    archive.record(Record("mpinfo.prd", infoAt, static_cast<std::int32_t>(info.size())))
        .record(Record("reg_a.prd", regionAt, static_cast<std::int32_t>(region.size()), ' '))
        .record(Record("empty.prd", infoAt + static_cast<std::int32_t>(info.size()) - 4, 4))
        .record(Record("aiv.prd", unitsAt, static_cast<std::int32_t>(units.size())));
    return archive.standard(77);
}

// An entry of many parts: numbers, a string longer than a part, more numbers.
Bytes LargeEntry() {
    ValueStream stream;
    for (int i = 0; i < 7000; ++i) {
        stream.integer(i).real(static_cast<float>(i) / 4);
    }
    stream.text(std::string(3 * kSerializedPartSize, 'x'));
    for (int i = 0; i < 7000; ++i) {
        stream.real(-static_cast<float>(i)).list(i);
    }
    return stream.bytes();
}

TEST(SerializeMission, RepacksCleansAndReloadsAsTheSameModelOrRefusesAMisfit) {
    const Bytes canonical = Canonical().standard();
    EXPECT_EQ(Serialize(Load(canonical)).bytes, canonical);
    const Bytes large = Canonical().entry("large.prd", LargeEntry()).standard();
    MissionModel misfit = Load(large);
    EXPECT_EQ(Serialize(misfit).bytes, large);
    misfit.missionEntries[3].nodes[28001].setText("3E+9");
    EXPECT_EQ(SerializeMission(misfit).refusal->text,
              "Not saved: node 28001 of the entry \"large.prd\" holds \"3E+9\", which does not fit "
              "its type. Nothing was written.");

    const MissionModel mission = Load(Untidy());
    const SerializedMission saved = Serialize(mission);
    ArchiveBuilder expected;
    expected.entry("mpinfo.prd", MissionInfo("DesertStorm", {"dunes"}))
        .entry("reg_a.prd", ValueStream().text("node_1").integer(-9).bytes(), ' ')
        .entry("empty.prd", {})
        .entry("aiv.prd", UnitStream(12345680.0f));
    EXPECT_EQ(saved.bytes, expected.standard());
    EXPECT_EQ(saved.directory, expected.records());
    EXPECT_EQ(Serialize(mission).bytes, saved.bytes); // the model itself is left alone
    EXPECT_EQ(Serialize(MissionModel{}).bytes, ArchiveBuilder().standard());

    MissionModel changed = Load(canonical);
    changed.missionEntries[2].nodes[4].setText("3000000000");
    const SerializedMission refused = SerializeMission(changed);
    ASSERT_TRUE(refused.refusal.has_value());
    EXPECT_EQ(refused.refusal->text, "Not saved: node 4 of the entry \"aiv_units.prd\" holds "
                                     "\"3000000000\", which does not fit its type. Nothing was "
                                     "written.");
    EXPECT_TRUE(refused.bytes.empty() && refused.directory.empty());
    // Saved over a file, the refusal comes after the entries before it were
    // written, and the file is left as it was.
    TempDir folder;
    const std::string target = folder.write("m.PBD", canonical);
    EXPECT_EQ(SaveMissionFile(changed, target), Messages{*refused.refusal});
    EXPECT_EQ(folder.read("m.PBD"), canonical);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"m.PBD"});
}

// The last info entry holds the name; renaming stores the answer as typed.
// Blanks are a name, shown as nothing; without a name node nothing happens.
TEST(RenameMission, StoresTheAnswerInTheLastInfoEntryUnlessThereIsNoNameNode) {
    ArchiveBuilder archive = Canonical("Early");
    MissionModel mission = Load(archive.entry("mpinfo.prd", MissionInfo(" Late ", {})).standard());
    EXPECT_EQ(CurrentMissionName(mission), "Late");
    EXPECT_EQ(RenameMission(mission, "   "), "Korv Mission Editor [BETA1] - ");
    EXPECT_EQ(mission.missionEntries[3].nodes[5], ReaderNode(kNodeString, 6, "   "));
    for (const Bytes& info : {MissionInfo("m", {}, "name"),
                              ValueStream().list(3).list(2).text("db_name").list(2).bytes()}) {
        mission = Load(WithEntry(info, "mpinfo.prd").standard());
        const MissionModel unnamed = mission;
        EXPECT_EQ(CurrentMissionName(mission), std::nullopt);
        EXPECT_EQ(RenameMission(mission, "x"), std::nullopt);
        EXPECT_EQ(mission, unnamed);
    }
    MissionModel none;
    EXPECT_EQ(RenameMission(none, "x"), std::nullopt);
}

} // namespace
} // namespace kmission
