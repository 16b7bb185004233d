#include "core_fixtures.h"
#include "demo_installation.h"
#include "demo_missions.h"
#include "tool_process.h"

#include <gtest/gtest.h>

namespace kmission::test {
namespace {

const std::vector<std::string> kLoadedAndSaved{"KMission: Loaded!", "KMission: Saved!"};

TEST(ResaveCommand, GivesBackEveryDemoMissionByteForByte) {
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(demo::WriteDemoInstallation(dir.path().string(), error)) << error;
    for (const demo::DemoMission& mission : demo::DemoMissionPlans()) {
        SCOPED_TRACE(mission.fileName);
        const std::string in = dir.file("pbd/" + mission.fileName);
        const std::string out = dir.file("copy.PBD");
        const ToolRun run = RunTool({"resave", in, out});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.errLines(), kLoadedAndSaved);
        EXPECT_EQ(ReadBytes(out), ReadBytes(in));
    }
}

// Everything a save does not keep: entries out of order with gaps, a space
// padded name, strings with control characters and outer spaces, a float that
// needs more than seven digits, a closing tag 0 and a trailer that is not 1.
Bytes gapped_out_of_order() {
    const Bytes info = fixtures::ValueStream()
                           .list(5)
                           .text(" mission\t")
                           .text("db_name")
                           .list(2)
                           .text("Test")
                           .real(0.123456789f)
                           .end()
                           .bytes();
    const Bytes units = fixtures::ValueStream().integer(-5).list(2).bytes();
    fixtures::ArchiveBuilder archive;
    const std::int32_t unitsAt = archive.gap(3).data(units);
    const std::int32_t infoAt = archive.gap(3).data(info);
    const auto size = [](const Bytes& data) { return static_cast<std::int32_t>(data.size()); };
    archive.record(fixtures::Record("mpinfo.prd", infoAt, size(info), ' '))
        .record(fixtures::Record("units.prd", unitsAt, size(units), ' '));
    return archive.standardWithCount(2, 7);
}

Bytes gapped_out_of_order_saved() {
    return fixtures::ArchiveBuilder()
        .entry("mpinfo.prd",
               fixtures::ValueStream()
                   .list(5)
                   .text("mission")
                   .text("db_name")
                   .list(2)
                   .text("Test")
                   .real(0.1234568f)
                   .bytes(),
               ' ')
        .entry("units.prd", fixtures::ValueStream().integer(-5).list(2).bytes(), ' ')
        .standard();
}

TEST(ResaveCommand, PacksANonCanonicalArchive) {
    ScratchDir dir;
    WriteBytes(dir.file("in.PBD"), gapped_out_of_order());
    // A longer file in the way is replaced whole.
    WriteBytes(dir.file("out.PBD"), Bytes(5000, 0x55));

    const ToolRun run = RunTool({"resave", dir.file("in.PBD"), dir.file("out.PBD")});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errLines(), kLoadedAndSaved);
    EXPECT_EQ(ReadBytes(dir.file("out.PBD")), gapped_out_of_order_saved());
}

Bytes no_mission_info() {
    return fixtures::ArchiveBuilder()
        .entry("units.prd", fixtures::ValueStream().integer(1).bytes())
        .standard();
}

TEST(ResaveCommand, WritesNothingForAFileOpenRefuses) {
    ScratchDir dir;
    WriteBytes(dir.file("in.PBD"), no_mission_info());

    const ToolRun run = RunTool({"resave", dir.file("in.PBD"), dir.file("out.PBD")});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errLines(),
              std::vector<std::string>{"KMission: Built in Mission not available to edit!"});
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.PBD")));
}

} // namespace
} // namespace kmission::test
