// The commands that read and change a mission as the editor's windows do:
// env, units and set.
#include "core_fixtures.h"
#include "demo_installation.h"
#include "tool_process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kmission::test {
namespace {

using fixtures::ArchiveBuilder;
using fixtures::ValueStream;

// A unit name node, three nodes the editor does not read, then X, the second
// position value, Z and the angle.
void Unit(ValueStream& s, std::string_view name, std::string_view x, std::string_view z) {
    s.text(name).list(2).text("position").list(5).text(x).real(0.5f).text(z).integer(90);
}

// A mission with a fog block and two unit entries; only the first is the
// unit list. Its last unit name node has no values after it.
Bytes SmallMission() {
    ValueStream info;
    info.list(3).text("mission").setting("db_name", {"Small"});
    info.text("fog").list(3).setting("horizon", {"horblack"}).setting("color", {"1", "2", "3"});
    ValueStream units;
    units.list(9);
    Unit(units, "player_1", "10", "20");
    Unit(units, "remote_a,\"b\"", "-5.5", "7");
    units.text("stealth_9").list(2);
    ValueStream others;
    Unit(others, "player_8", "1", "1");
    return ArchiveBuilder()
        .entry("mpinfo.prd", info.bytes())
        .entry("aiv_list.prd", units.bytes())
        .entry("aiv_other.prd", others.bytes())
        .standard();
}

TEST(EnvCommand, PrintsEveryValueTheDialogsShow) {
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(demo::WriteDemoInstallation(dir.path().string(), error)) << error;
    const ToolRun run = RunTool({"env", dir.file("pbd/readermp01.PBD")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, R"({
  "ambient_temperature": "38",
  "jet_ceiling": "1500",
  "fog.horizon": "hormain",
  "fog.color": ["214", "190", "150"],
  "fog.altitude": ["0", "250.5"],
  "fog.range": ["200", "2600"],
  "fog.hw_range": ["120", "900"],
  "rain.particles": "0",
  "rain.color": ["190", "190", "200"],
  "sun.orientation": ["-0.45", "0.8", "0.35"],
  "sun.diffuse": "1.25",
  "sun.ambient": "0.4",
  "underwater.color": ["18", "70", "96"],
  "underwater.range": ["4", "45"],
  "underwater.altitude": ["-40", "0"],
  "wind.direction": "70",
  "wind.velocity": "14.5",
  "wind.gravity": "0.98",
  "wind.alpha_gradient": ["0.25", "0.75"],
  "global_wind.velocity": ["4.5", "0", "-2.25"],
  "global_wind.max_speed": "30",
  "global_wind.random_acceleration": "0.5",
  "global_wind.random_angle_velocity": "0.125"
}
)");
}

TEST(EnvCommand, PrintsOnlyTheSettingsTheMissionHas) {
    ScratchDir dir;
    WriteBytes(dir.file("small.PBD"), SmallMission());
    const ToolRun run = RunTool({"env", dir.file("small.PBD")});
    EXPECT_EQ(run.out,
              "{\n  \"fog.horizon\": \"horblack\",\n  \"fog.color\": [\"1\", \"2\", \"3\"],\n"
              "  \"fog.altitude\": [\"\", \"\"],\n  \"fog.range\": [\"\", \"\"],\n"
              "  \"fog.hw_range\": [\"\", \"\"]\n}\n");
}

TEST(UnitsCommand, ListsTheUnitsTheEditorPicks) {
    ScratchDir dir;
    WriteBytes(dir.file("small.PBD"), SmallMission());
    const ToolRun json = RunTool({"units", dir.file("small.PBD")});
    EXPECT_EQ(json.out, "[\n"
                        "  {\"name\": \"player_1\", \"x\": \"10\", \"y\": \"20\", \"z\": \"0.5\", "
                        "\"angle\": \"90\", \"entry\": 1, \"node\": 2},\n"
                        "  {\"name\": \"remote_a,\\\"b\\\"\", \"x\": \"-5.5\", \"y\": \"7\", "
                        "\"z\": \"0.5\", \"angle\": \"90\", \"entry\": 1, \"node\": 10}\n"
                        "]\n");
    const ToolRun csv = RunTool({"units", "--csv", dir.file("small.PBD")});
    EXPECT_EQ(csv.out, "name,x,y,z,angle,entry,node\n"
                       "player_1,10,20,0.5,90,1,2\n"
                       "\"remote_a,\"\"b\"\"\",-5.5,7,0.5,90,1,10\n");
}

TEST(SetCommand, ChangesAsTheWindowsDo) {
    ScratchDir dir;
    WriteBytes(dir.file("small.PBD"), SmallMission());
    const ToolRun run = RunTool({"set", dir.file("small.PBD"), "--name", "Big", "--env",
                                 "fog.horizon=hormain", "--env", "fog.color=4,5.5,-6e2", "--unit",
                                 "remote_a,\"b\"", "--x", "1", "--z", "2"});
    EXPECT_EQ(run.err, "KMission: Saved!\n");
    EXPECT_THAT(RunTool({"env", dir.file("small.PBD")}).out,
                testing::HasSubstr("\"fog.horizon\": \"hormain\",\n  \"fog.color\": [\"4\", "
                                   "\"5.5\", \"-6e2\"],"));
    EXPECT_THAT(RunTool({"units", "--csv", dir.file("small.PBD")}).out,
                testing::HasSubstr("\"remote_a,\"\"b\"\"\",1,7,2,90,1,10\n"));
    EXPECT_THAT(RunTool({"dump", dir.file("small.PBD")}).out,
                testing::HasSubstr("[3, 7, \"db_name\"], [4, -1, \"2\"], [3, 3, \"Big\"]"));
}

TEST(SetCommand, RefusesAndWritesNothing) {
    ScratchDir dir;
    const Bytes small = SmallMission();
    const Bytes noInfo =
        ArchiveBuilder().entry("other.prd", ValueStream().integer(1).bytes()).standard();
    struct Case {
        std::vector<std::string> options;
        Bytes mission;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {{"--env", "fog.colour=1,2,3"}, small, 1, "unknown environment member \"fog.colour\""},
        {{"--env", "fog.color=1,2"}, small, 1, "fog.color takes 3 values separated by commas."},
        {{"--env", "fog.color=1,x2,3"}, small, 1, "\"x2\" is not a number (fog.color)."},
        {{"--env", "fog.horizon=HORMAIN"},
         small,
         1,
         "fog.horizon takes \"hormain\" or \"horblack\"."},
        {{"--env", "wind.velocity=3"}, small, 1, "the mission has no \"wind\" setting"},
        {{"--unit", "stealth_9", "--x", "1"},
         small,
         1,
         "there is no unit \"stealth_9\" in the unit list."},
        {{"--unit", "player_1", "--y", "1,5"}, small, 1, "\"1,5\" is not a number (--y)."},
        {{"--name", ""},
         small,
         1,
         "the name must be a text of windows-1252 characters, not empty."},
        {{"--name", "x"}, noInfo, 1, "KMission: Built in Mission not available to edit!"},
        {{"--x", "1"}, small, 2, "--x, --y and --z need --unit"},
        {{"--unit", "player_1"}, small, 2, "--unit needs --x, --y or --z"},
        {{}, small, 2, "nothing to change"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        WriteBytes(dir.file("in.PBD"), c.mission);
        std::vector<std::string> arguments{"set", dir.file("in.PBD")};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_THAT(run.err, testing::HasSubstr(c.message));
        EXPECT_EQ(ReadBytes(dir.file("in.PBD")), c.mission);
    }
}

TEST(SetCommand, ChangesEachArchiveAndSaysWhetherAllWereSaved) {
    ScratchDir dir;
    WriteBytes(dir.file("a.PBD"), SmallMission());
    WriteBytes(dir.file("b.PBD"),
               ArchiveBuilder().entry("x.prd", ValueStream().bytes()).standard());
    WriteBytes(dir.file("c.PBD"), SmallMission());
    const ToolRun run = RunTool({"set", "--env", "fog.color=9,9,9", "--", dir.file("a.PBD"),
                                 dir.file("b.PBD"), dir.file("c.PBD")});
    EXPECT_EQ(run.exitCode, 1);
    for (const char* name : {"a.PBD", "c.PBD"}) {
        EXPECT_THAT(RunTool({"env", dir.file(name)}).out,
                    testing::HasSubstr("[\"9\", \"9\", \"9\"]"))
            << name;
    }
}

} // namespace
} // namespace kmission::test
