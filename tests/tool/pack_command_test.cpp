#include "core_fixtures.h"
#include "demo_installation.h"
#include "demo_missions.h"
#include "mission.h"
#include "mission_save.h"
#include "tool_process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace kmission::test {
namespace {

using fixtures::ArchiveBuilder;
using fixtures::ValueStream;

// What File > Save writes for `archive` opened and left unchanged.
Bytes Saved(const Bytes& archive) {
    MissionReadOptions options;
    options.requireMissionInfo = false;
    return SerializeMission(ReadMission(archive, options).mission).bytes;
}

// Every directory field and value the JSON must carry: aux fields, names
// with padding and bytes a cleaning drops, texts with bytes from 0x80 up (the
// five undefined ones too), empty entries and floats that are not finite.
Bytes EdgeCases() {
    const Bytes values = ValueStream()
                             .list(10)
                             .text("\x80\x81\x8D\x8F\x90\x9D\xA0\xFF caf\xE9")
                             .integer(INT32_MIN)
                             .realBits(0x7F800000)
                             .realBits(0xFF800000)
                             .realBits(0x7FC00000)
                             .real(1e-45f)
                             .real(-0.0f)
                             .real(3.4028235e38f)
                             .bytes();
    ArchiveBuilder archive;
    archive.entry("values.prd", values, ' ')
        .entry("empty.prd", {})
        .entry("ended.prd", ValueStream().end().bytes())
        .entry(std::string(64, 'n'), ValueStream().integer(1).bytes())
        .entry("caf\xE9\x01.prd", ValueStream().text("x").bytes());
    archive.records()[1].name = fixtures::Padded(std::string("empty.prd\0junk\xFF", 15), 64, ' ');
    return archive.standard();
}

TEST(PackCommand, PackOfDumpIsWhatSavingWrites) {
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(demo::WriteDemoInstallation(dir.path().string(), error)) << error;
    std::vector<std::pair<std::string, Bytes>> archives{{"edge cases", EdgeCases()}};
    for (const demo::DemoMission& mission : demo::DemoMissionPlans()) {
        archives.emplace_back(mission.fileName, ReadBytes(dir.file("pbd/" + mission.fileName)));
    }
    for (const auto& [name, bytes] : archives) {
        WriteBytes(dir.file("in.PBD"), bytes);
        for (const bool pretty : {false, true}) {
            SCOPED_TRACE(name + (pretty ? ", pretty through standard input" : ""));
            std::vector<std::string> dump{"dump", dir.file("in.PBD")};
            if (pretty) {
                dump.insert(dump.begin() + 1, "--pretty");
            }
            const ToolRun dumped = RunTool(dump);
            std::ofstream(dir.file("in.json")) << dumped.out;
            const ToolRun packed =
                pretty ? RunTool({"pack", "-", dir.file("out.PBD")}, dir.file("in.json"))
                       : RunTool({"pack", dir.file("in.json"), dir.file("out.PBD")});
            EXPECT_EQ(packed.err, "KMission: Saved!\n");
            EXPECT_EQ(ReadBytes(dir.file("out.PBD")), Saved(bytes));
        }
    }
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

// `count` copies of `item` separated by commas.
std::string Repeated(const std::string& item, std::size_t count) {
    std::string out = item;
    for (std::size_t i = 1; i < count; ++i) {
        out += ", " + item;
    }
    return out;
}

TEST(PackCommand, RefusesJsonThatDoesNotFitAndWritesNothing) {
    ScratchDir dir;
    WriteBytes(dir.file("in.PBD"),
               ArchiveBuilder()
                   .entry("values.prd", ValueStream().integer(5).text("ab").bytes())
                   .standard());
    const std::string dump = RunTool({"dump", "--pretty", dir.file("in.PBD")}).out;
    const std::string entry =
        dump.substr(dump.find('{', 1), dump.rfind('}', dump.size() - 3) - dump.find('{', 1) + 1);
    const std::string kNode = "[1, -1, \"5\"]";
    const std::string kNameField = "\"nameField\": \"76616c";
    struct Case {
        std::string what;
        std::function<void(std::string&)> edit;
        std::string message;
    };
    const Case cases[] = {
        {"not JSON", [](std::string& json) { json.resize(json.size() - 2); },
         "the JSON is not valid at line 20: unterminated object."},
        {"unknown type", [&](std::string& json) { Replace(json, kNode, "[7, -1, \"5\"]"); },
         "entry 0 (\"values.prd\"), node 1: unknown type 7 (1 integer, 2 float, 3 string, 4 "
         "list)."},
        {"missing field", [](std::string& json) { Replace(json, "\"aux3\": 3,", ""); },
         "entry 0 (\"values.prd\") has no \"aux3\"."},
        {"hex of the wrong length",
         [&](std::string& json) { Replace(json, kNameField, "\"nameField\": \"6c"); },
         "entry 0 (\"values.prd\"): \"nameField\" must be 128 hex digits (64 bytes)."},
        {"name and field apart",
         [](std::string& json) {
             Replace(json, "\"name\": \"values.prd\"", "\"name\": \"other.prd\"");
         },
         "entry 0 (\"other.prd\"): the name does not match \"nameField\", which holds "
         "\"values.prd\"; change both."},
        {"number beyond its type",
         [&](std::string& json) { Replace(json, kNode, "[1, -1, \"5e9\"]"); },
         "node 1 of the entry \"values.prd\" holds \"5e9\", which does not fit its type."},
        {"a text that is no number",
         [&](std::string& json) { Replace(json, kNode, "[1, -1, \"12x\"]"); },
         "entry 0 (\"values.prd\"), node 1: \"12x\" is not a number."},
        {"character outside the code page",
         [](std::string& json) { Replace(json, "\"ab\"", "\"a\xE4\xB8\x80\""); },
         "entry 0 (\"values.prd\"), node 2: the text must be a text of windows-1252 characters."},
        {"too many values",
         [&](std::string& json) { Replace(json, kNode, Repeated(kNode, 32768)); },
         "entry 0 (\"values.prd\") has 32769 values; an entry holds at most 32767."},
        {"too many entries",
         [&](std::string& json) { Replace(json, entry, Repeated(entry, 10001)); },
         "an archive holds 1 to 10000 entries, not 10001."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string json = dump;
        c.edit(json);
        std::ofstream(dir.file("in.json")) << json;
        const ToolRun run = RunTool({"pack", dir.file("in.json"), dir.file("out.PBD")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_THAT(run.err, testing::HasSubstr(c.message));
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.PBD")));
    }
}

} // namespace
} // namespace kmission::test
