// What a user gets from the demo installation: a Wine prefix whose registry
// leads the editor to the game folder, and there a catalogue, pictures and
// missions that open as the game's would, show their maps and save back to
// the same bytes.

#include "core_fixtures.h"
#include "data_dir.h"
#include "demo_installation.h"
#include "demo_missions.h"
#include "file_io.h"
#include "mission_save.h"
#include "qt_test_application.h"
#include "render_view.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kmission::demo {
namespace {

TEST(DemoInstallation, LeadsTheEditorToMissionsThatOpenShowTheirMapAndSaveUnchanged) {
    test::TestApplication();
    fixtures::TempDir home;
    // "é" is in windows-1252, the emoji is not and takes two UTF-16 units in the registry.
    const std::filesystem::path dir = home.path() / "D\xC3\xA9mo \xF0\x9F\x98\x80";
    std::string error;
    ASSERT_TRUE(WriteDemoInstallation(dir.string(), error)) << error;
    ::setenv("WINEPREFIX", (dir / "prefix").c_str(), 1);
    const std::string data = platform::ReadDataDir();
    EXPECT_TRUE(std::filesystem::equivalent(data, dir / "pbd")) << data; // through drive Z:

    for (const DemoMission& plan : DemoMissionPlans()) {
        SCOPED_TRACE(plan.fileName);
        const RenderResult view = RenderMissionView(data, data + plan.fileName);
        EXPECT_TRUE(view.mapShown && view.messages.empty());
        EXPECT_EQ(SerializeMission(LoadMissionFile(data + plan.fileName).mission).bytes,
                  ReadWholeFile(data + plan.fileName));
    }
}

} // namespace
} // namespace kmission::demo
