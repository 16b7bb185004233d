// Finding the game's Wine prefix, and paths and programs inside it.
#include "data_dir.h"
#include "native_path.h"
#include "start_program.h"
#include "wine_prefix.h"

#include "temp_wine_prefix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace kmission::platform {
namespace {

namespace fs = std::filesystem;
using test::GameKeyWith;
using test::ScopedEnv;
using test::TempHome;
using test::TempWinePrefix;

TEST(WinePrefixTest, TheFirstPrefixWithTheGameInTheDocumentedOrder) {
    const struct {
        std::vector<std::pair<std::string, std::string>> prefixes; // where, game folder or ""
        std::string found;                                         // below $HOME
    } cases[] = {
        {{}, ".wine"},
        {{{".wine", "K3"}, {"Games/k", "Lutris"}}, ".wine"},
        {{{".wine", ""}, {"Games/b", "Lutris"}, {"Games/a", ""}}, "Games/b"},
        {{{".local/share/bottles/bottles/k", "Bottles"}, {"Games/k", "Lutris"}}, "Games/k"},
        {{{".local/share/bottles/bottles/k", "Bottles"},
          {".steam/steam/steamapps/compatdata/1/pfx", "Steam"}},
         ".local/share/bottles/bottles/k"},
        {{{".steam/steam/steamapps/compatdata/2/pfx", "Second"},
          {".steam/steam/steamapps/compatdata/1/pfx", "First"},
          {".local/share/Steam/steamapps/compatdata/0/pfx", "Data"}},
         ".steam/steam/steamapps/compatdata/1/pfx"},
        {{{".local/share/Steam/steamapps/compatdata/0/pfx", "Data"},
          {".local/share/wineprefixes/k", "Tricks"}},
         ".local/share/Steam/steamapps/compatdata/0/pfx"},
        {{{".local/share/wineprefixes/k", "Tricks"}, {"Games/other", ""}},
         ".local/share/wineprefixes/k"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.found);
        const TempHome home;
        std::string dataDir = kFallbackDataDir;
        for (const auto& [where, game] : c.prefixes) {
            home.makePrefix(where, GameKeyWith((game.empty() ? "\"Other\"" : "\"Program\"") +
                                               ("=\"C:\\\\" + game + "\\\\\"")));
            dataDir = where == c.found ? "C:\\" + game + "\\pbd\\" : dataDir;
        }
        EXPECT_EQ(WinePrefix(), (home.path() / c.found).string());
        EXPECT_EQ(ReadDataDir(), dataDir);
    }
    const TempHome home;
    const ScopedEnv emptyPrefix("WINEPREFIX", "");
    EXPECT_EQ(WinePrefix(), (home.path() / ".wine").string());
    const ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(WinePrefix(), "");
    EXPECT_EQ(ToNativePath("C:\\GAME"), "C:\\GAME");
}

// A prefix with drives C and D whose files are in other letter cases than
// the game asks for.
class NativePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        driveC_ = prefix_.makeDrive('c', "drive_c");
        prefix_.makeDrive('d', "cdrom");
        for (const char* file :
             {"drive_c/game/pbd/reader.pbd", "drive_c/game/pbd/readermp01.pbd",
              "drive_c/game/Data/a", "drive_c/game/data/b", "drive_c/game/DATA/c",
              "drive_c/caf\xC3\xA9/x", "cdrom/KORV3/PBD/READER.PBD"}) {
            prefix_.makeFile(file);
        }
    }

    // `text` with a leading "@" standing for the prefix's folder.
    std::string at(const std::string& text) const {
        return text[0] == '@' ? prefix_.path().string() + text.substr(1) : text;
    }

    TempWinePrefix prefix_;
    fs::path driveC_;
};

TEST_F(NativePathTest, DrivePathsGoThroughTheDriveLinksWhateverTheirCase) {
    const struct {
        const char* windows;
        const char* native;
    } cases[] = {
        {"C:\\GAME\\PBD\\READER.PBD", "@/dosdevices/c:/game/pbd/reader.pbd"},
        {"c:/Game/Pbd/Reader.Pbd", "@/dosdevices/c:/game/pbd/reader.pbd"},
        {"C:\\GAME\\\\PBD\\", "@/dosdevices/c:/game/pbd/"},
        {"C:\\GAME\\MISSING\\READER.PBD", "@/dosdevices/c:/game/MISSING/READER.PBD"},
        {"C:\\GAME\\PBD\\READERMP*.PBD", "@/dosdevices/c:/game/pbd/READERMP*.PBD"},
        {"C:\\game\\data\\b", "@/dosdevices/c:/game/data/b"},
        {"C:\\game\\Data\\a", "@/dosdevices/c:/game/Data/a"},
        {"C:\\game\\dAtA\\c", "@/dosdevices/c:/game/DATA/c"},
        {"C:\\CAF\xC9\\X", "@/dosdevices/c:/caf\xC3\xA9/x"},
        {"D:\\Korv3\\pbd\\reader.pbd", "@/dosdevices/d:/KORV3/PBD/READER.PBD"},
        {"A:\\", "@/dosdevices/a:/"},
        {"z:x", "@/dosdevices/z:/x"},
        {"a:", "@/dosdevices/a:"},
        {"Z:", "@/dosdevices/z:"},
        {"[:\\x", "[:\\x"},
        {"{:\\x", "{:\\x"},
        {"1:\\x", "1:\\x"},
        {"C", "C"},
        {"", ""},
        {"/home/READER.PBD", "/home/READER.PBD"},
        {"\\\\server\\share", "\\\\server\\share"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windows);
        EXPECT_EQ(ToNativePath(c.windows), at(c.native));
    }
}

TEST_F(NativePathTest, NativePathsUnderTheDeepestDriveBecomeDrivePaths) {
    EXPECT_EQ(ToWindowsPath("/usr/share/doc"), "/usr/share/doc") << "outside every drive";
    prefix_.linkDrive('z', "/");
    prefix_.linkDrive('e', driveC_);
    const struct {
        const char* native;
        const char* windows;
    } cases[] = {
        {"@/drive_c/game/pbd/reader.pbd", "C:\\game\\pbd\\reader.pbd"},
        {"@/drive_c/game/pbd/", "C:\\game\\pbd\\"},
        {"@/drive_c", "C:\\"},
        {"@/drive_c/new/file.pbd", "C:\\new\\file.pbd"},
        {"@/dosdevices/c:/game", "C:\\game"},
        {"@/drive_c/caf\xC3\xA9", "C:\\caf\xE9"},
        {"/usr/share/doc", "Z:\\usr\\share\\doc"},
        {"/", "Z:\\"},
        {"relative/path", "relative/path"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.native);
        EXPECT_EQ(ToWindowsPath(at(c.native)), c.windows);
    }
}

TEST_F(NativePathTest, FileExistsLooksThroughTheDrives) {
    fs::create_directories(driveC_ / "game/pbd/folder.pbd");
    const struct {
        const char* path;
        bool exists;
    } cases[] = {
        {"", false},
        {"C:\\GAME\\PBD\\READER.PBD", true},
        {"C:\\GAME\\PBD\\reader*.pbd", true},
        {"C:\\GAME\\PBD\\READER*.PBD", false},
        {"C:\\GAME\\PBD\\FOLDER.PBD", false},
        {"E:\\Korv3\\pbd\\reader.pbd", false},
        {"@/drive_c/game/pbd/reader.pbd", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileExists(at(c.path)), c.exists);
    }
}

TEST(StartProgramTest, StartsFilesGivenByNativeOrWindowsPath) {
    TempWinePrefix prefix;
    prefix.makeDrive('c', "drive_c");
    fs::create_directories(prefix.path() / "drive_c/folder.exe");
    const struct {
        std::string path;
        const char* script; // below the prefix; nullptr: nothing starts
    } cases[] = {
        {(prefix.path() / "tools/a.sh").string(), "tools/a.sh"},
        {"C:\\TOOLS\\B.SH", "drive_c/tools/b.sh"},
        {"", nullptr},
        {(prefix.path() / "missing").string(), nullptr},
        {"C:\\MSINFO\\MSINFO32.EXE", nullptr},
        {"C:\\folder.exe", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        if (c.script == nullptr) {
            EXPECT_FALSE(StartProgram(c.path));
            continue;
        }
        const fs::path marker = prefix.path() / (std::string(c.script) + ".ran");
        fs::permissions(prefix.makeFile(c.script, "#!/bin/sh\ntouch '" + marker.string() + "'\n"),
                        fs::perms::owner_all);
        EXPECT_TRUE(StartProgram(c.path));
        for (int tries = 0; tries < 500 && !fs::exists(marker); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(fs::exists(marker));
    }
}

} // namespace
} // namespace kmission::platform
