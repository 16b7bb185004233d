// kmission-tool as users run it (a separate process, whose path the build
// gives), on hand-made archives; and set against the editor's windows making
// the same changes.
#include "core_fixtures.h"
#include "editor_fixture.h"
#include "file_io.h"
#include "mission_json.h"
#include "mission_save.h"
#include "process_run.h"
#include "properties_window.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace kmission::test {
namespace {

using namespace fixtures;

struct ToolRun {
    int exitCode = -1;
    std::string out, err;
};

ToolRun RunTool(const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments) {
        list << QString::fromStdString(argument);
    }
    const ProcessResult run = RunProgram(KMISSION_TOOL, list);
    return {run.exitCode, run.out.toStdString(), run.err.toStdString()};
}

// Each test works in a folder of its own, the tool's current folder too.
struct ToolTest : testing::Test {
    ToolTest() { std::filesystem::current_path(dir_.path()); }
    fixtures::TempDir dir_;
};

// A unit name node, three nodes the editor does not read, then X, the second
// position value, Z and the angle.
void Unit(ValueStream& s, std::string_view name, std::string_view x, std::string_view z) {
    s.text(name).list(2).text("position").list(5).text(x).real(0.5f).text(z).integer(90);
}

// A fog block and two unit entries, only the first the unit list; its last
// unit name has no values after it.
Bytes SmallMission(std::string_view green = "2") {
    ValueStream info;
    info.list(3).text("mission").setting("db_name", {"Small"});
    info.text("fog").list(3).setting("horizon", {"horblack"}).setting("color", {"1", green, "3"});
    ValueStream units;
    Unit(units.list(9), "player_1", "10", "20");
    Unit(units, "remote_a,\"b\"", "-5.5", "7");
    units.text("stealth_9").list(2);
    ValueStream others;
    Unit(others, "player_8", "1", "1");
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", info.bytes()).entry("aiv_list.prd", units.bytes());
    return archive.entry("aiv_other.prd", others.bytes()).standard();
}

const Bytes kSmall = SmallMission();
const Bytes kNoInfo = ArchiveBuilder().entry("u.prd", ValueStream().integer(1).bytes()).standard();

// The directory fields the fixture's record for `name` holds, as dump prints them.
std::string RecordFields(const std::string& name) {
    const ArchiveEntry record = fixtures::Record(name, 0, 0, ' ');
    return ", \"nameField\": \"" + tool::HexText(record.name) + "\", \"aux1\": -123456, " +
           "\"auxText\": \"" + tool::HexText(record.auxText) +
           "\", \"aux2\": -2, \"aux3\": 3, \"aux4\": 31420, \"aux5\": -32768";
}

// Bytes the code page and the cleaning treat specially, then floats of each
// text form.
const Bytes kValues = [] {
    ValueStream s;
    s.list(6).text(std::string(" a\tb\x80\x81\"\\\0 ", 10)).integer(-5).real(0.1f).real(1e-7f);
    s.real(12345680.0f).real(-0.0f).real(1e-45f).real(3.402823e38f).realBits(0xFF800000);
    return s.realBits(0xFFC00000).bytes();
}();
const Bytes kEnded = ValueStream().text("x").end().bytes();
const Bytes kGapped = [] {
    ArchiveBuilder s;
    s.gap(4).entry("mpinfo.prd", kValues, ' ').gap(4).entry("e.prd", kEnded, ' ');
    return s.standard();
}();

// Each command's output, exactly, and its refusals: usage errors exit with 2,
// what the editor would refuse with 1; either way with a message saying why,
// and nothing written. The pack rows change the dump of a small archive
// (`from` -> `to`) before pack reads it.
TEST_F(ToolTest, PrintsExactlyOrRefusesAndWritesNothing) {
    const Bytes values = ValueStream().integer(5).text("ab").bytes();
    dir_.write("in.PBD", ArchiveBuilder().entry("values.prd", values).standard());
    const std::string dump = RunTool({"dump", "--pretty", "in.PBD"}).out;
    const std::size_t open = dump.find('{', 1);
    const std::string entry = dump.substr(open, dump.rfind('}', dump.size() - 3) - open + 1);
    const std::string node = "[1, -1, \"5\"]";
    const auto repeated = [](const std::string& item, int count) {
        return item + QString::fromStdString(", " + item).repeated(count - 1).toStdString();
    };
    dir_.write("small.PBD", kSmall);
    dir_.write("green.PBD", SmallMission("20"));
    dir_.write("noinfo.PBD", kNoInfo);
    dir_.write("gapped.PBD", kGapped);
    // A map record with a bitmap count of 3 (error 22) and an mpp text beyond
    // the float range.
    ValueStream catalogue;
    catalogue.list(3).text("maps").list(2).text("map").list(9).text("name").list(2).text("first");
    catalogue.text("bitmap").list(3).text("first_b").text("mpp").list(2).text("1E+39");
    catalogue.text("offset").list(4).integer(-100).integer(7).integer(300);
    dir_.write("reader.pbd", ArchiveBuilder().entry("maps.prd", catalogue.bytes()).standard());
    const std::string dumped =
        "{\"entries\": [{\"name\": \"mpinfo.prd\", \"offset\": 4, \"size\": " +
        std::to_string(kValues.size()) + RecordFields("mpinfo.prd") +
        ", \"nodes\": [[4, -1, \"6\"], [3, 10, \"ab\xE2\x82\xAC\xC2\x81\\\"\\\\\"], "
        "[1, -1, \"-5\"], [2, -1, \"0.1\"], [2, -1, \"1E-07\"], [2, -1, \"1.234568E+07\"], "
        "[2, -1, \"-0\"], [2, -1, \"1.401298E-45\"], [2, -1, \"3.402823E+38\"], "
        "[2, -1, \"-INF\"], [2, -1, \"-NAN\"]]}, {\"name\": \"e.prd\", \"offset\": " +
        std::to_string(kValues.size() + 8) + ", \"size\": " + std::to_string(kEnded.size()) +
        RecordFields("e.prd") + ", \"nodes\": [[3, 1, \"x\"]]}]}\n";
    // Only the settings the mission has; boxes it gives no value stay empty.
    const std::string env =
        "{\n  \"fog.horizon\": \"horblack\",\n  \"fog.color\": [\"1\", \"2\", \"3\"],\n"
        "  \"fog.altitude\": [\"\", \"\"],\n  \"fog.range\": [\"\", \"\"],\n"
        "  \"fog.hw_range\": [\"\", \"\"]\n}\n";
    const std::string units = "name,x,y,z,angle,entry,node\nplayer_1,10,20,0.5,90,1,2\n"
                              "\"remote_a,\"\"b\"\"\",-5.5,7,0.5,90,1,10\n";
    const std::string maps = "{\"maps\": [{\"name\": \"first       \", \"bitmap\": "
                             "\"first_b     \", \"mpp\": null, \"offsetX\": -100, \"offsetY\": 7, "
                             "\"offsetZ\": 300}]}\n";
    const std::string changed = "\"mpinfo.prd\" node 14 color[1]: \"2\" -> \"20\"\n";
    const std::vector<std::string> pack{"pack", "in.json", "out"};
    const auto set = [](std::vector<std::string> options) {
        options.insert(options.begin(), {"set", "small.PBD"});
        return options;
    };
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message, from{}, to{}, out{};
    };
    const Case cases[] = {
        {{"dump", "gapped.PBD"}, 0, "", "", "", dumped},
        {{"env", "small.PBD"}, 0, "", "", "", env},
        {{"units", "--csv", "small.PBD"}, 0, "", "", "", units},
        {{"diff", "small.PBD", "small.PBD"}, 0, ""},
        {{"diff", "small.PBD", "green.PBD"}, 1, "", "", "", changed},
        {{"maps", "reader.pbd"}, 0, "KMission: error 22\n", "", "", maps},
        {{}, 2, "kmission-tool: no command given\n\nUsage: kmission-tool COMMAND"},
        {{"diff", "small.PBD", "none.PBD"}, 2, "KMission: Bad Path!\n"},
        {{"resave", "noinfo.PBD", "out"}, 1, "KMission: Built in Mission not available to edit!\n"},
        {set({"--env", "fog.color"}), 1, "unknown environment member \"fog.color\""},
        {set({"--env", "fog.horizon=HORMAIN"}), 1, "takes \"hormain\" or \"horblack\"."},
        {set({"--env", "wind.velocity=3"}), 1, "the mission has no \"wind\" setting"},
        {set({"--unit", "stealth_9", "--x", "1"}), 1, "no unit \"stealth_9\" in the unit list."},
        {set({"--name", ""}), 1, "the name must be a text of windows-1252 characters, not empty."},
        {pack, 1, "the JSON is not valid at line 20: unterminated object.", "}\n", ""},
        {pack, 1, "node 1: unknown type 5 (1 integer, 2 float, 3 string", node, "[5, -1, \"5\"]"},
        {pack, 1, "\"nameField\" must be 128 hex digits (64 bytes).", "\"76616c", "\"6c"},
        {pack, 1, "node 1 of the entry \"values.prd\" holds \"5e9\", which does not fit its type.",
         node, "[1, -1, \"5e9\"]"},
        {pack, 1, "node 2: the text must be a text of windows-1252", "\"ab\"", "\"a\xE4\xB8\x80\""},
        {pack, 1, "has 32768 values; an entry holds at most 32767.", node, repeated(node, 32767)},
        {pack, 1, "an archive holds 1 to 10000 entries, not 10001.", entry, repeated(entry, 10001)},
        {pack, 1, "an archive holds 1 to 10000 entries, not 0.", entry, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message + c.out);
        std::string json = dump;
        if (!c.from.empty()) {
            json.replace(json.rfind(c.from), c.from.size(), c.to);
        }
        dir_.write("in.json", BytesOf(json));
        const ToolRun run = RunTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, c.out);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists("out"));
        EXPECT_EQ(dir_.read("small.PBD"), kSmall);
    }
}

TEST_F(ToolTest, PictureWritesTheDecodedColoursTopRowFirst) {
    dir_.write("rimage.pbd", fixtures::PictureFile({{"TINY\t ", 1, 2, {0xF800, 0x07E0}}}));
    EXPECT_EQ(RunTool({"picture", "rimage.pbd", "Tiny", "out.png"}).exitCode, 0);
    const QImage image(QString::fromStdString(dir_.file("out.png")));
    EXPECT_EQ(image.size(), QSize(1, 2));
    EXPECT_TRUE(image.pixel(0, 0) == qRgb(255, 3, 7) && image.pixel(0, 1) == qRgb(7, 255, 7));
}

// Resave and pack of dump write what saving writes (which the save's own
// tests pin byte by byte): for names with padding and bytes a cleaning drops,
// texts with bytes from 0x80 up (the five undefined ones too), empty entries,
// end tags and floats that are not finite.
TEST_F(ToolTest, ResaveAndPackOfDumpWriteWhatSavingWrites) {
    ValueStream values;
    values.list(10).text("\x80\x81\x8D\x8F\x90\x9D\xA0\xFF caf\xE9").integer(INT32_MIN);
    values.realBits(0x7F800000).realBits(0x7FC00000).real(3.4028235e38f);
    ArchiveBuilder edges;
    edges.entry("mpinfo.prd", values.bytes(), ' ').entry("empty.prd", {}).entry("e.prd", kEnded);
    edges.entry(std::string(64, 'n'), kValues).entry("caf\xE9\x01.prd", kEnded);
    edges.records()[1].name = fixtures::Padded(std::string("empty.prd\0junk\xFF", 15), 64, ' ');
    for (const Bytes& in : {edges.standard(), kGapped}) {
        const Bytes out = SerializeMission(ReadMission(in).mission).bytes;
        dir_.write("in.PBD", in);
        dir_.write("out.PBD", Bytes(5000, 0x55)); // a longer file in the way is replaced whole
        EXPECT_EQ(RunTool({"resave", "in.PBD", "out.PBD"}).err,
                  "KMission: Loaded!\nKMission: Saved!\n");
        EXPECT_EQ(dir_.read("out.PBD"), out);
        dir_.write("in.json", BytesOf(RunTool({"dump", "in.PBD"}).out));
        EXPECT_EQ(RunTool({"pack", "in.json", "out2.PBD"}).err, "KMission: Saved!\n");
        EXPECT_EQ(dir_.read("out2.PBD"), out);
    }
}

// The same changes through the windows and through the tool save to the same bytes.
class SetCommandGui : public EditorFixture {};

TEST_F(SetCommandGui, SavesTheBytesTheWindowsSave) {
    startEditor();
    const std::string mission = pbd("readermp01.PBD");
    openMission(mission);
    dialogs_.queueInputAnswer("Renamed by both");
    action("mnuMissionName")->trigger();

    action("mnuEnvironment")->trigger();
    auto* velocity =
        window_->findChild<QWidget*>("frmPropWind")->findChild<QLineEdit*>("txtVelocity");
    velocity->selectAll();
    QTest::keyClicks(velocity, "22.75");
    QTest::mouseClick(window_->findChild<QWidget*>("frmEnvironment")
                          ->findChild<QPushButton*>("cmdOK", Qt::FindDirectChildrenOnly),
                      Qt::LeftButton);

    moveTo(220, -150); // player_2
    dialogs_.queueInputAnswer("-12.5");
    QTest::mouseClick(
        window_->findChild<PropertiesWindow*>()->findChildren<QPushButton*>("cmdChange").at(1),
        Qt::LeftButton);

    const std::string byWindows = pbd("windows.PBD");
    dialogs_.queueSaveFile(byWindows);
    action("mnuFileSave")->trigger();

    const std::string byTool = pbd("tool.PBD");
    EXPECT_EQ(RunTool({"set", mission, "--out", byTool, "--name", "Renamed by both", "--env",
                       "wind.velocity=22.75", "--unit", "player_2", "--y", "-12.5"})
                  .err,
              "KMission: Saved!\n");
    EXPECT_NE(ReadWholeFile(byTool), ReadWholeFile(mission));
    EXPECT_EQ(ReadWholeFile(byTool), ReadWholeFile(byWindows));
}

} // namespace
} // namespace kmission::test
