#include "file_io.h"
#include "map_catalogue.h"
#include "mission.h"
#include "picture_decoder.h"
#include "text.h"
#include "tool_process.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kmission::test {
namespace {

TEST(MakeDemoCommand, WritesAnInstallationTheEditorCanRead) {
    ScratchDir scratch;
    const std::filesystem::path dir = scratch.path() / "My \"Demo\"";

    const ToolRun run = RunTool({"make-demo", dir.string()});

    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto reader = ReadWholeFile((dir / "pbd/reader.pbd").string());
    ASSERT_TRUE(reader);
    const SharedArchive shared = ReadSharedArchive(*reader);
    ASSERT_TRUE(shared.ok);
    EXPECT_TRUE(shared.messages.empty());
    ASSERT_GE(shared.catalogue.maps.size(), 3u);

    std::vector<PictureIndexEntry> index = ReadPictureIndexFile((dir / "pbd/rimage.pbd").string());
    ASSERT_EQ(index.size(), shared.catalogue.maps.size());
    EXPECT_EQ(FindPictureRecord(index, CleanText(shared.catalogue.maps[0].name)),
              static_cast<int>(index.size()))
        << "the first map's picture is the last record";

    for (const char* mission : {"readermp01.PBD", "readermp02.PBD"}) {
        SCOPED_TRACE(mission);
        const MissionLoad load = LoadMissionFile((dir / "pbd" / mission).string());
        EXPECT_EQ(load.outcome, LoadOutcome::Loaded);
        EXPECT_TRUE(load.messages.empty());
        ASSERT_EQ(load.mapNames.size(), 1u);
        EXPECT_FALSE(
            MatchMapMenuItems({shared.catalogue.maps[0].name, shared.catalogue.maps[1].name,
                               shared.catalogue.maps[2].name},
                              load.mapNames[0])
                .empty());
    }

    // Wine's escaping: backslashes and quotes get a backslash.
    std::string windowsPath = "Z:" + dir.string() + "/";
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    std::string escaped;
    for (char c : windowsPath) {
        escaped += c == '\\' || c == '"' ? std::string{'\\', c} : std::string{c};
    }
    const std::string registry = ReadText((dir / "prefix/system.reg").string());
    EXPECT_TRUE(registry.starts_with("WINE REGISTRY Version 2\n"));
    EXPECT_NE(registry.find("\n[Software\\\\Brintell\\\\Korvane 3\\\\1.0] "), std::string::npos);
    EXPECT_NE(registry.find("\n\"Program\"=\"" + escaped + "\"\n"), std::string::npos) << registry;
    EXPECT_EQ(std::filesystem::read_symlink(dir / "prefix/dosdevices/z:"), "/");
}

TEST(MakeDemoCommand, ReplacesAnEarlierInstallation) {
    ScratchDir scratch;
    ASSERT_EQ(RunTool({"make-demo", scratch.path().string()}).exitCode, 0);
    std::filesystem::resize_file(scratch.path() / "pbd/readermp01.PBD", 3);

    const ToolRun again = RunTool({"make-demo", scratch.path().string()});

    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_GT(std::filesystem::file_size(scratch.path() / "pbd/readermp01.PBD"), 3u);
}

TEST(MakeDemoCommand, ReportsAFolderItCannotCreate) {
    ScratchDir scratch;
    WriteBytes(scratch.file("plain"), {1, 2, 3});

    const ToolRun run = RunTool({"make-demo", scratch.file("plain/demo")});

    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.errLines().size(), 1u);
    EXPECT_TRUE(run.err.starts_with("kmission-tool: ")) << run.err;
}

} // namespace
} // namespace kmission::test
