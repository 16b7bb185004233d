#include "core_fixtures.h"
#include "demo_installation.h"
#include "demo_missions.h"
#include "tool_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace kmission::test {
namespace {

QJsonArray Entries(const ToolRun& run) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out;
    return doc.object().value("entries").toArray();
}

TEST(DumpCommand, PrintsEveryEntryOfADemoMission) {
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(demo::WriteDemoInstallation(dir.path().string(), error)) << error;
    const demo::DemoMission& plan = demo::DemoMissionPlans().at(1);
    const std::string path = dir.file("pbd/" + plan.fileName);

    const ToolRun run = RunTool({"dump", path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const QJsonArray entries = Entries(run);
    ASSERT_EQ(entries.size(), 8);
    const QStringList expectedNames{
        "mpinfo.prd",    "reg_inside_bridge.prd", "reg_outside_west.prd", "reg_border_coast.prd",
        "aiv_units.prd", "aiv_patrol.prd",        "triggers.prd",         "briefing.prd"};
    qint64 next = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonObject entry = entries[i].toObject();
        EXPECT_EQ(entry["name"].toString(), expectedNames[i]);
        EXPECT_EQ(entry["offset"].toInteger(), next) << "entries are packed";
        next += entry["size"].toInteger();
    }
    EXPECT_EQ(next + 148 * 8 + 8, static_cast<qint64>(ReadBytes(path).size()));
    const QJsonArray info = entries[0].toObject()["nodes"].toArray();
    EXPECT_EQ(info[2].toArray(), QJsonArray({3, 7, "db_name"})) << "node 3, as the editor reads it";
    EXPECT_EQ(info[4].toArray(), QJsonArray({3, 14, "River Crossing"}));
    EXPECT_TRUE(run.out.ends_with("]}]}\n")) << "one document, one line feed";
}

// Bytes the game's code page and the cleaning rule treat specially.
Bytes mixed_values() {
    return fixtures::ValueStream()
        .list(6)
        .text(std::string(" a\tb\x80\x81\"\\\0 ", 10))
        .integer(-5)
        .real(0.1f)
        .real(1e-7f)
        .real(12345678.0f)
        .bytes();
}

std::string Hex(const std::string& bytes) {
    std::string hex;
    for (const char c : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(c));
        hex += digits;
    }
    return hex;
}

// The directory fields the fixture's record for `name` holds, as dump prints them.
std::string RecordFields(const std::string& name) {
    const ArchiveEntry record = fixtures::Record(name, 0, 0, ' ');
    return ", \"nameField\": \"" + Hex(record.name) + "\", \"aux1\": -123456, \"auxText\": \"" +
           Hex(record.auxText) + "\", \"aux2\": -2, \"aux3\": 3, \"aux4\": 31420, \"aux5\": -32768";
}

TEST(DumpCommand, PrintsHandMadeValuesExactly) {
    ScratchDir dir;
    const Bytes first = mixed_values();
    const Bytes second = fixtures::ValueStream().text("x").end().bytes();
    WriteBytes(dir.file("edge.PBD"), fixtures::ArchiveBuilder()
                                         .gap(4)
                                         .entry("values.prd", first, ' ')
                                         .gap(4)
                                         .entry("second.prd", second, ' ')
                                         .standard());

    const ToolRun run = RunTool({"dump", dir.file("edge.PBD")});

    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string secondOffset = std::to_string(4 + first.size() + 4);
    EXPECT_EQ(run.out,
              "{\"entries\": [{\"name\": \"values.prd\", \"offset\": 4, \"size\": " +
                  std::to_string(first.size()) + RecordFields("values.prd") +
                  ", \"nodes\": [[4, -1, \"6\"], [3, 10, \"ab\xE2\x82\xAC\xC2\x81\\\"\\\\\"], "
                  "[1, -1, \"-5\"], [2, -1, \"0.1\"], [2, -1, \"1E-07\"], "
                  "[2, -1, \"1.234568E+07\"]]}, {\"name\": \"second.prd\", \"offset\": " +
                  secondOffset + ", \"size\": " + std::to_string(second.size()) +
                  RecordFields("second.prd") + ", \"nodes\": [[3, 1, \"x\"]]}]}\n");
    // The same through a JSON parser: 0x80 is the euro sign, 0x81 the C1 control.
    const QJsonArray nodes = Entries(run)[0].toObject()["nodes"].toArray();
    EXPECT_EQ(nodes[1].toArray()[2].toString(), QString::fromUtf8("ab\xE2\x82\xAC\xC2\x81\"\\"));
}

TEST(DumpCommand, PrettyOutputShowsOneChangedValueAsOneChangedLine) {
    ScratchDir dir;
    const auto archive = [](std::int32_t value) {
        return fixtures::ArchiveBuilder()
            .entry("values.prd", fixtures::ValueStream().list(3).integer(value).text("x").bytes())
            .standard();
    };
    WriteBytes(dir.file("a.PBD"), archive(1));
    WriteBytes(dir.file("b.PBD"), archive(2));
    const auto lines = [&dir](const std::string& file) {
        std::vector<std::string> out;
        std::istringstream in(RunTool({"dump", "--pretty", dir.file(file)}).out);
        for (std::string line; std::getline(in, line);) {
            out.push_back(line);
        }
        return out;
    };
    const std::vector<std::string> a = lines("a.PBD");
    const std::vector<std::string> b = lines("b.PBD");
    ASSERT_EQ(a.size(), b.size());
    std::vector<std::string> changed;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            changed.push_back(a[i] + " | " + b[i]);
        }
    }
    EXPECT_EQ(changed,
              std::vector<std::string>{"        [1, -1, \"1\"], |         [1, -1, \"2\"],"});
}

} // namespace
} // namespace kmission::test
