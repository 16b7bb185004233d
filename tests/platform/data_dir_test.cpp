#include "data_dir.h"

#include "temp_wine_prefix.h"

#include <gtest/gtest.h>

namespace kmission::platform {
namespace {

using test::TempWinePrefix;
using test::WineRegistryFile;

std::string game_key_with(std::string_view line) {
    return WineRegistryFile("[Software\\\\Brintell\\\\Korvane 3\\\\1.0] 1700000000\n" +
                            std::string(line) + "\n");
}

struct DataDirCase {
    const char* name;
    std::string systemReg; // empty: no registry file
    std::string expected;
};

TEST(DataDirTest, FollowsTheGameRegistryEntry) {
    const DataDirCase cases[] = {
        {"no registry file", "", "D:\\Korv3\\pbd\\"},
        {"key missing", WineRegistryFile("[Software\\\\Brintell] 1\n"), "D:\\Korv3\\pbd\\"},
        {"value missing", game_key_with("\"Version\"=\"1.0\""), "D:\\Korv3\\pbd\\"},
        {"folder with trailing backslash", game_key_with("\"Program\"=\"C:\\\\Games\\\\K3\\\\\""),
         "C:\\Games\\K3\\pbd\\"},
        {"folder without trailing backslash", game_key_with("\"Program\"=\"C:\\\\Games\\\\K3\""),
         "C:\\Games\\K3pbd\\"},
        {"empty folder", game_key_with("\"Program\"=\"\""), "pbd\\"},
        {"non-ASCII folder", game_key_with("\"Program\"=\"C:\\\\Jeux\\\\Cor\\x00e9e\\\\\""),
         "C:\\Jeux\\Cor\xE9"
         "e\\pbd\\"},
        {"number", game_key_with("\"Program\"=dword:00000001"), "D:\\Korv3\\pbd\\"},
        {"expandable text", game_key_with("\"Program\"=str(2):\"%ProgramFiles%\\\\K3\\\\\""),
         "D:\\Korv3\\pbd\\"},
        {"other letter case", game_key_with("\"PROGRAM\"=\"E:\\\\\""), "E:\\pbd\\"},
        {"32-bit view",
         WineRegistryFile("[Software\\\\Wow6432Node\\\\Brintell\\\\Korvane 3\\\\1.0] 1\n"
                          "\"Program\"=\"C:\\\\K3\\\\\"\n"),
         "C:\\K3\\pbd\\"},
        {"not a registry file", "REGEDIT4\n", "D:\\Korv3\\pbd\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempWinePrefix prefix;
        if (!c.systemReg.empty()) {
            prefix.writeSystemReg(c.systemReg);
        }
        EXPECT_EQ(ReadDataDir(), c.expected);
    }
}

} // namespace
} // namespace kmission::platform
