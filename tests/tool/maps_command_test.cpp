#include "core_fixtures.h"
#include "demo_installation.h"
#include "demo_maps.h"
#include "tool_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace kmission::test {
namespace {

QJsonArray Maps(const ToolRun& run) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out;
    return doc.object().value("maps").toArray();
}

// One catalogue record as the game lays it out: a name, a list of nine, then
// the key-count-values settings. `bitmapCount` is the count after "bitmap";
// `mpp` writes the mpp value.
template <typename WriteMpp>
void AddMap(fixtures::ValueStream& s, const std::string& name, WriteMpp mpp,
            std::int32_t bitmapCount) {
    s.text("map").list(9);
    s.text("name").list(2).text(name);
    s.text("bitmap").list(bitmapCount).text(name + "_bmp");
    s.text("mpp").list(2);
    mpp(s);
    s.text("offset").list(4).integer(-100).integer(7).integer(300);
}

std::vector<std::uint8_t> ReaderWith(const fixtures::ValueStream& maps) {
    return fixtures::ArchiveBuilder()
        .entry("other.prd", fixtures::ValueStream().text("maps").bytes())
        .entry("maps.prd", maps.bytes())
        .standard();
}

TEST(MapsCommand, PrintsTheDemoCatalogue) {
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(demo::WriteDemoInstallation(dir.path().string(), error)) << error;

    const ToolRun run = RunTool({"maps", dir.file("pbd/reader.pbd")});

    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const QJsonArray maps = Maps(run);
    const auto& expected = demo::DemoMaps();
    ASSERT_EQ(maps.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        const QJsonObject map = maps[static_cast<qsizetype>(i)].toObject();
        EXPECT_EQ(map["name"].toString().toStdString(),
                  expected[i].name + std::string(12 - expected[i].name.size(), ' '));
        EXPECT_EQ(map["mpp"].toDouble(), expected[i].mpp);
        EXPECT_EQ(map["offsetX"].toInt(), expected[i].offsetX);
        EXPECT_EQ(map["offsetY"].toInt(), expected[i].offsetY);
        EXPECT_EQ(map["offsetZ"].toInt(), expected[i].offsetZ);
    }
    EXPECT_TRUE(run.out.starts_with("{\"maps\": [{\"name\": \"dunes       \", \"bitmap\": "
                                    "\"dunes_map   \", \"mpp\": 2, \"offsetX\": 640, \"offsetY\": "
                                    "0, \"offsetZ\": 480}, {"))
        << run.out;
}

TEST(MapsCommand, ReportsBadRecordsAndGoesOn) {
    ScratchDir dir;
    fixtures::ValueStream maps;
    maps.list(3).text("maps").list(5);
    // The catalogue reads numbers from texts whatever the node type: a string
    // beyond the float range gives an infinite mpp.
    AddMap(
        maps, "first", [](fixtures::ValueStream& s) { s.text("1E+39"); }, 3);
    AddMap(
        maps, "second", [](fixtures::ValueStream& s) { s.real(1e-7f); }, 2);
    WriteBytes(dir.file("reader.pbd"), ReaderWith(maps));

    const ToolRun run = RunTool({"maps", dir.file("reader.pbd")});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errLines(), std::vector<std::string>{"KMission: error 22"});
    const QJsonArray result = Maps(run);
    ASSERT_EQ(result.size(), 2);
    EXPECT_TRUE(result[0].toObject()["mpp"].isNull());
    EXPECT_EQ(result[0].toObject()["offsetX"].toInt(), -100);
    EXPECT_EQ(result[1].toObject()["mpp"].toDouble(), 1e-7);
    EXPECT_NE(run.out.find("\"mpp\": 1E-07,"), std::string::npos) << run.out;
}

} // namespace
} // namespace kmission::test
