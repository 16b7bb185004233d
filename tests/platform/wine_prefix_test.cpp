// The game's Wine prefix: finding it, its registry and the game's data folder
// named there, paths and programs inside it.
#include "data_dir.h"
#include "native_path.h"
#include "registry.h"
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
using test::TempHome;
using test::TempWinePrefix;
using test::WineRegistryFile;

constexpr const char* kGameKey = "Software\\Brintell\\Korvane 3\\1.0";

// Both readers of one value: QueryRegistryValue into a value that starts as
// "before", GetKeyValue into text that starts as "before" (a 1024-byte buffer).
TEST(RegistryTest, QueryRegistryValueAndGetKeyValueTakeTextAndNumbersOnly) {
    TempWinePrefix prefix;
    const std::string longest(1023, 'b');
    prefix.makeFile("system.reg", GameKeyWith("\"Text\"=\"C:\\\\\"\n\"Empty\"=hex(1):\n"
                                              "\"Neg\"=dword:fffffffe\n"
                                              "\"Long\"=hex(4):01,01,01,01,01,01,01,01\n"
                                              "\"Expand\"=str(2):\"%x%\"\n\"Longest\"=\"" +
                                              longest + "\"\n\"TooLong\"=\"" + longest + "b\""));
    const RegistryValue before = std::string("before");
    const struct {
        const char* name;
        std::int32_t result;
        RegistryValue value;
        bool found;
        std::string text;
    } cases[] = {
        {"Text", kRegistrySuccess, std::string("C:\\"), true, "C:\\"},
        {"Empty", kRegistrySuccess, std::string(), true, ""},
        {"Neg", kRegistrySuccess, std::int32_t{-2}, true, "-2"},
        {"Long", kRegistryMoreData, before, true, "16843009"},
        {"Expand", -1, before, true, "before"},
        {"Longest", kRegistrySuccess, longest, true, longest},
        {"TooLong", kRegistrySuccess, longest + "b", false, ""},
        {"Missing", kRegistryFileNotFound, before, false, ""},
    };
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistrySuccess);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryValue value = before;
        EXPECT_EQ(QueryRegistryValue(key, c.name, value), c.result);
        EXPECT_EQ(value, c.value);
        std::string text = "before";
        EXPECT_EQ(GetKeyValue(RegistryRoot::LocalMachine, kGameKey, c.name, text), c.found);
        EXPECT_EQ(text, c.text);
    }
    std::string text = "before";
    EXPECT_FALSE(GetKeyValue(RegistryRoot::CurrentUser, kGameKey, "Text", text)) << "no key";
    EXPECT_EQ(text, "");
}

TEST(RegistryTest, KeysReadThePrefixFilesAfreshOnEveryCall) {
    TempWinePrefix prefix;
    RegistryKey key;
    EXPECT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistryFileNotFound);
    prefix.makeFile("system.reg", WineRegistryFile("[Software\\\\Other] 1\n"));
    EXPECT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistryFileNotFound);
    EXPECT_FALSE(key.isOpen());

    prefix.makeFile("user.reg", GameKeyWith("\"Program\"=\"user\""));
    RegistryValue value;
    ASSERT_EQ(key.open(RegistryRoot::CurrentUser, kGameKey, kKeyRead), kRegistrySuccess);
    EXPECT_EQ(QueryRegistryValue(key, "program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("user")));
    prefix.makeFile("system.reg", GameKeyWith("\"Program\"=\"old\""));
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistrySuccess);
    prefix.makeFile("system.reg",
                    GameKeyWith("\"Program\"=\"C:\\\\\\x416\\\\\"\n"
                                "\"Exp\"=str(2):\"\\x416\"\n\"Number\"=dword:00000001"));
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("C:\\?\\")));
    EXPECT_EQ(key.unicodeText("Program"), "C:\\\xD0\x96\\");
    EXPECT_EQ(key.unicodeText("Exp"), "\xD0\x96");
    EXPECT_EQ(key.unicodeText("Number"), std::nullopt);
    EXPECT_EQ(key.unicodeText("Missing"), std::nullopt);

    char buffer[5] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(key.queryValue("Program", &type, buffer, &size), kRegistryMoreData);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, kRegSz);

    RegistryKey moved = std::move(key);
    EXPECT_FALSE(key.isOpen()); // NOLINT(bugprone-use-after-move): moved-from state is defined
    EXPECT_EQ(QueryRegistryValue(moved, "Number", value), kRegistrySuccess);
    std::filesystem::remove(prefix.path() / "system.reg");
    EXPECT_EQ(QueryRegistryValue(moved, "Number", value), kRegistryFileNotFound);
    moved.close();
    EXPECT_FALSE(moved.isOpen());
}

TEST(RegistryTest, TheDataDirFollowsTheGamesFolder) {
    const struct {
        std::string systemReg; // empty: no registry file
        std::string expected;  // "@" stands for the prefix
    } cases[] = {
        {"", kFallbackDataDir},
        {GameKeyWith("\"Version\"=\"1.0\""), kFallbackDataDir},
        {GameKeyWith("\"Program\"=dword:00000001"), kFallbackDataDir},
        {GameKeyWith("\"Program\"=\"C:\\\\Cor\\x00e9e\""), "C:\\Cor\xE9"
                                                           "epbd\\"},
        {GameKeyWith("\"Program\"=\"C:\\\\\\x416\\\\\""), "@/dosdevices/c:/\xD0\x96/pbd/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.systemReg);
        TempWinePrefix prefix;
        if (!c.systemReg.empty()) {
            prefix.makeFile("system.reg", c.systemReg);
        }
        const std::string expected =
            c.expected[0] == '@' ? prefix.path().string() + c.expected.substr(1) : c.expected;
        EXPECT_EQ(ReadDataDir(), expected);
    }
}

TEST(WinePrefixTest, TheFirstPrefixWithTheGameInTheDocumentedOrder) {
    const std::string steam = ".steam/steam/steamapps/compatdata/";
    const struct {
        std::vector<std::pair<std::string, std::string>> prefixes; // where, game folder or ""
        std::string found;                                         // below $HOME
    } cases[] = {
        {{}, ".wine"},
        {{{".wine", "K3"}, {"Games/k", "Lutris"}}, ".wine"},
        {{{".wine", ""}, {"Games/b", "Lutris"}, {"Games/a", ""}}, "Games/b"},
        {{{".local/share/bottles/bottles/k", "Bottles"}, {steam + "1/pfx", "Steam"}},
         ".local/share/bottles/bottles/k"},
        {{{steam + "2/pfx", "Second"},
          {steam + "1/pfx", "First"},
          {".local/share/Steam/steamapps/compatdata/0/pfx", "Data"}},
         steam + "1/pfx"},
        {{{".local/share/wineprefixes/k", "Tricks"}, {"Games/other", ""}},
         ".local/share/wineprefixes/k"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.found);
        const TempHome home;
        for (const auto& [where, game] : c.prefixes) {
            home.makeFile(where + "/system.reg",
                          GameKeyWith((game.empty() ? "\"Other\"" : "\"Program\"") +
                                      ("=\"C:\\\\" + game + "\\\\\"")));
        }
        EXPECT_EQ(WinePrefix(), (home.path() / c.found).string());
    }
    const TempHome home;
    setenv("WINEPREFIX", "", 1);
    EXPECT_EQ(WinePrefix(), (home.path() / ".wine").string());
    unsetenv("HOME");
    EXPECT_EQ(WinePrefix(), "");
    EXPECT_EQ(ToNativePath("C:\\GAME"), "C:\\GAME");
}

// A prefix with drive C whose files are in other letter cases than the game
// asks for; "@" in a path stands for the prefix's folder.
class NativePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        driveC_ = prefix_.makeDrive('c', "drive_c");
        for (const char* file :
             {"drive_c/game/pbd/reader.pbd", "drive_c/game/Data/a", "drive_c/game/data/b",
              "drive_c/game/DATA/c", "drive_c/caf\xC3\xA9/x"}) {
            prefix_.makeFile(file);
        }
    }

    std::string at(const std::string& text) const {
        return text[0] == '@' ? prefix_.path().string() + text.substr(1) : text;
    }

    TempWinePrefix prefix_;
    fs::path driveC_;
};

TEST_F(NativePathTest, DrivePathsGoThroughTheDriveLinksWhateverTheirCase) {
    const std::pair<const char*, const char*> cases[] = {
        // Windows path, native path
        {"c:/Game\\Pbd/Reader.Pbd", "@/dosdevices/c:/game/pbd/reader.pbd"},
        {"C:\\GAME\\\\PBD\\", "@/dosdevices/c:/game/pbd/"},
        {"C:\\GAME\\MISSING\\READER.PBD", "@/dosdevices/c:/game/MISSING/READER.PBD"},
        {"C:\\GAME\\PBD\\READER*.PBD", "@/dosdevices/c:/game/pbd/READER*.PBD"},
        {"C:\\game\\data\\b", "@/dosdevices/c:/game/data/b"},
        {"C:\\game\\dAtA\\c", "@/dosdevices/c:/game/DATA/c"},
        {"C:\\CAF\xC9\\X", "@/dosdevices/c:/caf\xC3\xA9/x"},
        {"A:\\", "@/dosdevices/a:/"},
        {"z:x", "@/dosdevices/z:/x"},
        {"a:", "@/dosdevices/a:"},
        {"Z:", "@/dosdevices/z:"},
        {"[:\\x", "[:\\x"},
        {"{:\\x", "{:\\x"},
        {"C", "C"},
        {"\\\\server\\share", "\\\\server\\share"},
    };
    for (const auto& [windows, native] : cases) {
        SCOPED_TRACE(windows);
        EXPECT_EQ(ToNativePath(windows), at(native));
    }
}

TEST_F(NativePathTest, NativePathsUnderTheDeepestDriveBecomeDrivePaths) {
    EXPECT_EQ(ToWindowsPath("/usr/share/doc"), "/usr/share/doc") << "outside every drive";
    prefix_.linkDrive('z', "/");
    prefix_.linkDrive('e', driveC_);
    const std::pair<const char*, const char*> cases[] = {
        // native path, Windows path
        {"@/drive_c/game/pbd/", "C:\\game\\pbd\\"}, {"@/drive_c", "C:\\"},
        {"@/dosdevices/c:/game", "C:\\game"},       {"@/drive_c/caf\xC3\xA9", "C:\\caf\xE9"},
        {"/usr/share/doc", "Z:\\usr\\share\\doc"},  {"/", "Z:\\"},
        {"relative/path", "relative/path"},
    };
    for (const auto& [native, windows] : cases) {
        SCOPED_TRACE(native);
        EXPECT_EQ(ToWindowsPath(at(native)), windows);
    }
}

TEST_F(NativePathTest, FilesExistThroughTheDrivesAndOnlyFilesStart) {
    fs::create_directories(driveC_ / "game/pbd/folder.pbd");
    const std::pair<const char*, bool> cases[] = {
        {"", false},
        {"C:\\GAME\\PBD\\READER.PBD", true},
        {"C:\\GAME\\PBD\\FOLDER.PBD", false},
        {"E:\\GAME\\PBD\\READER.PBD", false},
    };
    for (const auto& [path, exists] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(FileExists(path), exists);
    }
    EXPECT_FALSE(StartProgram("C:\\GAME\\PBD\\FOLDER.PBD"));
    const fs::path marker = prefix_.path() / "ran";
    fs::permissions(
        prefix_.makeFile("drive_c/tools/info.sh", "#!/bin/sh\ntouch '" + marker.string() + "'\n"),
        fs::perms::owner_all);
    EXPECT_TRUE(StartProgram("C:\\TOOLS\\INFO.SH"));
    for (int tries = 0; tries < 500 && !fs::exists(marker); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(fs::exists(marker));
}

} // namespace
} // namespace kmission::platform
