#include "start_program.h"

#include "temp_wine_prefix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace kmission::platform {
namespace {

namespace fs = std::filesystem;
using test::TempWinePrefix;

// A shell script that leaves `marker` behind when it runs.
fs::path MakeMarkerScript(const TempWinePrefix& prefix, const std::string& relative,
                          const fs::path& marker) {
    const fs::path script = prefix.path() / relative;
    fs::create_directories(script.parent_path());
    TempWinePrefix::writeFile(script, "#!/bin/sh\ntouch '" + marker.string() + "'\n");
    fs::permissions(script, fs::perms::owner_all);
    return script;
}

bool AppearsWithin(const fs::path& file, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (fs::exists(file)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(StartProgramTest, StartsAProgramGivenByItsNativePath) {
    TempWinePrefix prefix;
    const fs::path marker = prefix.path() / "ran";
    const fs::path script = MakeMarkerScript(prefix, "tools/info.sh", marker);
    EXPECT_TRUE(StartProgram(script.string()));
    EXPECT_TRUE(AppearsWithin(marker, std::chrono::seconds(5)));
}

TEST(StartProgramTest, StartsAProgramGivenByItsWindowsPath) {
    TempWinePrefix prefix;
    prefix.makeDrive('c', "drive_c");
    const fs::path marker = prefix.path() / "ran";
    MakeMarkerScript(prefix, "drive_c/tools/info.sh", marker);
    EXPECT_TRUE(StartProgram("C:\\TOOLS\\INFO.SH"));
    EXPECT_TRUE(AppearsWithin(marker, std::chrono::seconds(5)));
}

TEST(StartProgramTest, NothingToStartIsAFailure) {
    TempWinePrefix prefix;
    prefix.makeDrive('c', "drive_c");
    fs::create_directories(prefix.path() / "drive_c/folder.exe");
    for (const std::string& path :
         {std::string(), (prefix.path() / "missing").string(),
          std::string("C:\\MSINFO\\MSINFO32.EXE"), std::string("C:\\folder.exe")}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(StartProgram(path));
    }
}

} // namespace
} // namespace kmission::platform
