#include "mission_save.h"

#include "core_fixtures.h"
#include "text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <set>
#include <string>
#include <vector>

namespace kmission {
namespace {

using namespace std::string_literals;
using fixtures::ArchiveBuilder;
using fixtures::BytesOf;
using fixtures::Int32In;
using fixtures::MissionInfo;
using fixtures::ValueStream;

Bytes UnitStream(float x = -1500.5f) {
    return ValueStream()
        .list(2)
        .text("player_1")
        .list(8)
        .integer(1)
        .integer(-2)
        .real(x)
        .real(20.0f)
        .real(3000.0f)
        .real(0.1f)
        .bytes();
}

// A mission in exactly the form this program writes: packed entries, no end
// tags, clean strings, seven-digit floats, trailer int32 1, int32 N.
Bytes CanonicalMission() {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("Desert Storm", {"dunes"}))
        .entry("reg_inside1.prd", ValueStream().text("node_1").real(12.5f).real(-7.0f).bytes())
        .entry("aiv_units.prd", UnitStream());
    return archive.standard();
}

MissionModel Load(const Bytes& file) {
    const MissionLoad load = ReadMission(file);
    EXPECT_EQ(load.outcome, LoadOutcome::Loaded);
    return load.mission;
}

// The node texts of every entry: what a reload must give back even where the
// string lengths read from an untidy file differ.
std::vector<std::vector<std::string>> Texts(const MissionModel& mission) {
    std::vector<std::vector<std::string>> texts;
    for (const EntryTree& entry : mission.missionEntries) {
        texts.emplace_back();
        for (const ReaderNode& node : entry.nodes)
            texts.back().emplace_back(node.text());
    }
    return texts;
}

// Whether `number` appears in `text` as a whole decimal number.
bool MentionsNumber(const std::string& text, std::size_t number) {
    const std::string digits = std::to_string(number);
    for (std::size_t at = text.find(digits); at != std::string::npos;
         at = text.find(digits, at + 1)) {
        const bool digitBefore = at > 0 && std::isdigit(static_cast<unsigned char>(text[at - 1]));
        const std::size_t end = at + digits.size();
        const bool digitAfter =
            end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]));
        if (!digitBefore && !digitAfter)
            return true;
    }
    return false;
}

SerializedMission Serialize(const MissionModel& mission) {
    SerializedMission saved = SerializeMission(mission);
    EXPECT_FALSE(saved.refusal.has_value()) << (saved.refusal ? saved.refusal->text : "");
    return saved;
}

TEST(SerializeMission, CanonicalFileComesBackByteForByte) {
    const Bytes file = CanonicalMission();
    EXPECT_EQ(Serialize(Load(file)).bytes, file);
}

TEST(SerializeMission, SavedFileLoadsAsTheSameModel) {
    const MissionModel mission = Load(CanonicalMission());
    const SerializedMission saved = Serialize(mission);
    MissionModel expected = mission;
    expected.archiveDirectory = saved.directory;
    EXPECT_EQ(Load(saved.bytes), expected);
    // Serialising leaves the model itself alone; saving again gives the same bytes.
    EXPECT_EQ(Serialize(mission).bytes, saved.bytes);
}

// The archive as another tool might have left it: entries out of order, gaps,
// end tags, strings with controls and spaces, floats that need more than seven
// digits, and a first trailer word other than 1.
Bytes untidy_mission() {
    ArchiveBuilder archive;
    const Bytes info = ValueStream().raw(MissionInfo("  Desert\tStorm ", {"dunes"})).end().bytes();
    const Bytes units = UnitStream(12345678.0f);
    const Bytes region = ValueStream().text("node_1\0\0"s).integer(-9).end().bytes();
    archive.gap(3);
    const std::int32_t unitsAt = archive.data(units);
    archive.gap(17);
    const std::int32_t regionAt = archive.data(region);
    const std::int32_t infoAt = archive.data(info);
    archive.record(fixtures::Record("mpinfo.prd", infoAt, static_cast<std::int32_t>(info.size())))
        .record(
            fixtures::Record("reg_a.prd", regionAt, static_cast<std::int32_t>(region.size()), ' '))
        .record(fixtures::Record("aiv.prd", unitsAt, static_cast<std::int32_t>(units.size())));
    return archive.standard(77);
}

TEST(SerializeMission, RepacksAndCleansAnUntidyArchive) {
    const Bytes file = untidy_mission();
    const MissionModel mission = Load(file);
    const SerializedMission saved = Serialize(mission);

    const Bytes cleanInfo = MissionInfo("DesertStorm", {"dunes"});
    const Bytes region = ValueStream().text("node_1").integer(-9).bytes();
    const Bytes units = UnitStream(12345680.0f);
    Bytes expected;
    fixtures::Append(expected, cleanInfo);
    fixtures::Append(expected, region);
    fixtures::Append(expected, units);
    ASSERT_GE(saved.bytes.size(), expected.size());
    EXPECT_EQ(Bytes(saved.bytes.begin(),
                    saved.bytes.begin() + static_cast<std::ptrdiff_t>(expected.size())),
              expected);

    const std::vector<ArchiveEntry> read = fixtures::DirectoryIn(file);
    const std::vector<ArchiveEntry> written = fixtures::DirectoryIn(saved.bytes);
    ASSERT_EQ(written.size(), 3u);
    const std::int32_t sizes[] = {static_cast<std::int32_t>(cleanInfo.size()),
                                  static_cast<std::int32_t>(region.size()),
                                  static_cast<std::int32_t>(units.size())};
    std::int32_t offset = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ArchiveEntry record = read[i];
        record.offset = offset;
        record.size = sizes[i];
        EXPECT_EQ(written[i], record);
        EXPECT_EQ(saved.directory[i], record);
        offset += sizes[i];
    }
    EXPECT_EQ(saved.bytes.size(), static_cast<std::size_t>(offset) + 3 * 148 + 8);
    EXPECT_EQ(Int32In(saved.bytes, saved.bytes.size() - 8), 1);
    EXPECT_EQ(Int32In(saved.bytes, saved.bytes.size() - 4), 3);
}

TEST(SerializeMission, EntryWithoutNodesTakesThePositionOfTheNext) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("m", {}))
        .entry("empty.prd", ValueStream().end().bytes())
        .entry("aiv.prd", UnitStream());
    const MissionModel mission = Load(archive.standard());
    ASSERT_EQ(mission.missionEntries[1].nodeCount(), 0);
    const SerializedMission saved = Serialize(mission);
    const auto infoSize = static_cast<std::int32_t>(MissionInfo("m", {}).size());
    ASSERT_EQ(saved.directory.size(), 3u);
    EXPECT_EQ(saved.directory[1].offset, infoSize);
    EXPECT_EQ(saved.directory[1].size, 0);
    EXPECT_EQ(saved.directory[2].offset, infoSize);
    EXPECT_EQ(fixtures::DirectoryIn(saved.bytes), saved.directory);
}

TEST(SerializeMission, NonFiniteFloatsComeBackAsTheSameValue) {
    const Bytes values = ValueStream()
                             .realBits(0x7F800000u)
                             .realBits(0xFF800000u)
                             .realBits(0x7FC00000u)
                             .realBits(0xFFC00000u)
                             .bytes();
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("m", {})).entry("env.prd", values);
    const Bytes file = archive.standard();
    EXPECT_EQ(Serialize(Load(file)).bytes, file);
}

TEST(SerializeMission, CommaTextIsWrittenAsTheNumberBeforeIt) {
    MissionModel mission = Load(CanonicalMission());
    NodeList& units = mission.missionEntries[2].nodes;
    units[4].setText("12,5"); // an integer node
    units[6].setText("12,5"); // a float node
    const SerializedMission saved = Serialize(mission);
    MissionModel reloaded = Load(saved.bytes);
    EXPECT_EQ(reloaded.missionEntries[2].nodes[4].text(), "12");
    EXPECT_EQ(reloaded.missionEntries[2].nodes[6].text(), "12");
}

TEST(SerializeMission, NoEntriesGiveTheBareTrailer) {
    const SerializedMission saved = Serialize(MissionModel{});
    ASSERT_EQ(saved.bytes.size(), 8u);
    EXPECT_EQ(Int32In(saved.bytes, 0), 1);
    EXPECT_EQ(Int32In(saved.bytes, 4), 0);
}

struct MisfitCase {
    std::size_t entry;
    std::size_t node;
    std::string text;
};

// A text that does not fit its node's type refuses the whole save, naming the
// entry, the node and the text.
TEST(SerializeMission, RefusesATextThatDoesNotFitItsNode) {
    const MisfitCase cases[] = {
        {2, 4, "3000000000"},  // integer
        {2, 3, "-2147483649"}, // list count
        {2, 7, "1E+39"},       // float
        {1, 3, "-4E+38"},      // float in another entry
    };
    for (const MisfitCase& c : cases) {
        SCOPED_TRACE(c.text);
        MissionModel mission = Load(CanonicalMission());
        mission.missionEntries[c.entry].nodes[c.node].setText(c.text);
        const MissionModel before = mission;

        const SerializedMission saved = SerializeMission(mission);
        ASSERT_TRUE(saved.refusal.has_value());
        EXPECT_TRUE(saved.bytes.empty());
        const std::string& text = saved.refusal->text;
        EXPECT_NE(text.find(CleanText(mission.missionEntries[c.entry].name)), std::string::npos)
            << text;
        EXPECT_TRUE(MentionsNumber(text, c.node)) << text;
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
        EXPECT_EQ(mission, before);
    }
}

TEST(SaveMissionFile, WritesTheFileAndSaysSaved) {
    fixtures::TempDir folder;
    MissionModel mission = Load(untidy_mission());
    const std::string target = folder.file("readermp02.PBD");
    const Messages messages = SaveMissionFile(mission, target);
    EXPECT_EQ(messages, Messages{Message{"Saved!"}});
    const Bytes written = folder.read("readermp02.PBD");
    EXPECT_EQ(written, Serialize(mission).bytes);
    // The directory now describes the file just written.
    EXPECT_EQ(mission.archiveDirectory, fixtures::DirectoryIn(written));
    const MissionModel reloaded = Load(written);
    EXPECT_EQ(reloaded.archiveDirectory, mission.archiveDirectory);
    EXPECT_EQ(Texts(reloaded), Texts(mission));
}

TEST(SaveMissionFile, SavingOverTheOpenedFileWithAShorterNameShrinksIt) {
    fixtures::TempDir folder;
    const std::string path = folder.write("readermp01.PBD", untidy_mission());
    MissionLoad load = LoadMissionFile(path);
    ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
    load.mission.missionEntries[0].nodes[5].setText("D");
    EXPECT_EQ(SaveMissionFile(load.mission, path), Messages{Message{"Saved!"}});
    const Bytes written = folder.read("readermp01.PBD");
    EXPECT_EQ(written, Serialize(load.mission).bytes);
    const MissionLoad again = LoadMissionFile(path);
    ASSERT_EQ(again.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(again.missionName, "D");
}

TEST(SaveMissionFile, RefusalWritesNothing) {
    fixtures::TempDir folder;
    const Bytes old = BytesOf("old contents");
    const std::string existing = folder.write("old.PBD", old);
    MissionModel mission = Load(CanonicalMission());
    mission.missionEntries[2].nodes[4].setText("1E10");
    const MissionModel before = mission;

    const Messages messages = SaveMissionFile(mission, existing);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text, "Saved!");
    EXPECT_EQ(folder.read("old.PBD"), old);

    EXPECT_NE(SaveMissionFile(mission, folder.file("new.PBD")), Messages{Message{"Saved!"}});
    EXPECT_EQ(folder.entries(), std::set<std::string>{"old.PBD"});
    EXPECT_EQ(mission, before);
}

TEST(SaveMissionFile, FailedWriteLeavesTargetAndModelAlone) {
    fixtures::TempDir folder;
    const Bytes old = BytesOf("old contents");
    const std::string existing = folder.write("old.PBD", old);
    MissionModel mission = Load(untidy_mission());
    const MissionModel before = mission;
    for (int error : {ENOSPC, EIO}) {
        const auto fail = [error](int) { return error; };
        const Messages messages = SaveMissionFile(mission, existing, fail);
        ASSERT_FALSE(messages.empty());
        EXPECT_NE(messages[0].text, "Saved!");
        EXPECT_EQ(folder.read("old.PBD"), old);
        EXPECT_EQ(folder.entries(), std::set<std::string>{"old.PBD"});
        EXPECT_EQ(mission, before);
    }
}

} // namespace
} // namespace kmission
