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

constexpr const char* kGameKey = "Software\\Brintell\\Korvane 3\\1.0";

// The prefix's files are read afresh on every call. QueryRegistryValue's value
// and GetKeyValue's text (read into 1024 bytes) start as "before".
TEST(RegistryTest, KeysReadThePrefixFilesAfreshAndTakeTextAndNumbersOnly) {
    TempWinePrefix prefix;
    RegistryKey key;
    EXPECT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistryFileNotFound);
    EXPECT_EQ(ReadDataDir(), kFallbackDataDir);
    const std::pair<std::string, std::string> folders[] = {
        // the game's key, the data folder
        {"\"Version\"=\"1.0\"", kFallbackDataDir},
        {"\"Program\"=dword:00000001", kFallbackDataDir},
        {"\"Program\"=\"C:\\\\Cor\\x00e9e\"", "C:\\Cor\xE9"
                                              "epbd\\"},
    };
    for (const auto& [line, dataDir] : folders) {
        prefix.makeFile("system.reg", GameKeyWith(line));
        EXPECT_EQ(ReadDataDir(), dataDir) << line;
    }

    const std::string longest(1023, 'b');
    prefix.makeFile("system.reg", GameKeyWith("\"Text\"=\"C:\\\\\"\n\"Empty\"=hex(1):\n"
                                              "\"Neg\"=dword:fffffffe\n"
                                              "\"Expand\"=str(2):\"%x%\"\n\"Longest\"=\"" +
                                              longest + "\"\n\"TooLong\"=\"" + longest + "b\""));
    const RegistryValue before = std::string("before");
    const std::tuple<const char*, std::int32_t, RegistryValue, bool, std::string> cases[] = {
        // value, QueryRegistryValue's result and value, GetKeyValue's result and text
        {"Text", kRegistrySuccess, std::string("C:\\"), true, "C:\\"},
        {"Empty", kRegistrySuccess, std::string(), true, ""},
        {"Neg", kRegistrySuccess, std::int32_t{-2}, true, "-2"},
        {"Expand", -1, before, true, "before"},
        {"Longest", kRegistrySuccess, longest, true, longest},
        {"TooLong", kRegistrySuccess, longest + "b", false, ""},
        {"Missing", kRegistryFileNotFound, before, false, ""},
    };
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistrySuccess);
    for (const auto& [name, result, value, found, expected] : cases) {
        SCOPED_TRACE(name);
        RegistryValue read = before;
        EXPECT_EQ(QueryRegistryValue(key, name, read), result);
        EXPECT_EQ(read, value);
        std::string text = "before";
        EXPECT_EQ(GetKeyValue(RegistryRoot::LocalMachine, kGameKey, name, text), found);
        EXPECT_EQ(text, expected);
    }
    std::string text = "before";
    EXPECT_FALSE(GetKeyValue(RegistryRoot::LocalMachine, "Software\\Absent", "Text", text));
    EXPECT_EQ(text, "");

    prefix.makeFile("user.reg", GameKeyWith("\"Program\"=\"user\""));
    RegistryValue value;
    ASSERT_EQ(key.open(RegistryRoot::CurrentUser, kGameKey, kKeyRead), kRegistrySuccess);
    EXPECT_EQ(QueryRegistryValue(key, "program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("user")));
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistrySuccess);
    prefix.makeFile("system.reg",
                    GameKeyWith("\"Program\"=\"C:\\\\\\x416\\\\\"\n\"Number\"=dword:00000001"));
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("C:\\?\\")));
    EXPECT_EQ(key.unicodeText("Number"), std::nullopt);
    EXPECT_EQ(key.unicodeText("Missing"), std::nullopt);
    // Letters outside windows-1252 reach the data folder as a native path.
    EXPECT_EQ(ReadDataDir(), prefix.path().string() + "/dosdevices/c:/\xD0\x96/pbd/");

    RegistryKey moved = std::move(key);
    EXPECT_FALSE(key.isOpen()); // NOLINT(bugprone-use-after-move): moved-from state is defined
    EXPECT_EQ(QueryRegistryValue(moved, "Number", value), kRegistrySuccess);
    moved.close();
    EXPECT_FALSE(moved.isOpen());
}

TEST(WinePrefixTest, TheFirstPrefixWithTheGameInTheDocumentedOrder) {
    const std::string steam = ".steam/steam/steamapps/compatdata/";
    const std::pair<std::vector<std::pair<std::string, std::string>>, std::string> cases[] = {
        // prefixes (where, the game's folder or ""), the one found below $HOME
        {{}, ".wine"},
        {{{".wine", ""}, {"Games/b", "Lutris"}, {"Games/a", ""}}, "Games/b"},
        {{{steam + "2/pfx", "Second"}, {steam + "1/pfx", "First"}}, steam + "1/pfx"},
        {{{".local/share/wineprefixes/k", "Tricks"}, {".local/share/bottles/bottles/k", ""}},
         ".local/share/wineprefixes/k"},
    };
    for (const auto& [prefixes, found] : cases) {
        SCOPED_TRACE(found);
        const TempHome home;
        for (const auto& [where, game] : prefixes) {
            home.makeFile(where + "/system.reg",
                          GameKeyWith((game.empty() ? "\"Other\"" : "\"Program\"") +
                                      ("=\"C:\\\\" + game + "\\\\\"")));
        }
        EXPECT_EQ(WinePrefix(), (home.path() / found).string());
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
TEST(NativePathTest, PathsMapThroughTheDriveLinksWhateverTheirCaseAndFilesStart) {
    TempWinePrefix prefix;
    const fs::path driveC = prefix.makeDrive('c', "drive_c");
    for (const char* file :
         {"drive_c/game/pbd/reader.pbd", "drive_c/game/Data/a", "drive_c/game/data/b",
          "drive_c/game/DATA/c", "drive_c/caf\xC3\xA9/x"}) {
        prefix.makeFile(file);
    }
    const auto at = [&](const std::string& text) {
        return text[0] == '@' ? prefix.path().string() + text.substr(1) : text;
    };
    const std::tuple<const char*, const char*, bool> toNative[] = {
        // Windows path, native path, whether it is an existing file
        {"c:/Game\\Pbd/Reader.Pbd", "@/dosdevices/c:/game/pbd/reader.pbd", true},
        {"C:\\GAME\\\\PBD\\", "@/dosdevices/c:/game/pbd/", false},
        {"C:\\GAME\\MISSING\\READER.PBD", "@/dosdevices/c:/game/MISSING/READER.PBD", false},
        {"C:\\GAME\\PBD\\READER*.PBD", "@/dosdevices/c:/game/pbd/READER*.PBD", false},
        {"C:\\game\\data\\b", "@/dosdevices/c:/game/data/b", true},
        {"C:\\game\\dAtA\\c", "@/dosdevices/c:/game/DATA/c", true},
        {"C:\\CAF\xC9\\X", "@/dosdevices/c:/caf\xC3\xA9/x", true},
        {"A:\\", "@/dosdevices/a:/", false},
        {"z:x", "@/dosdevices/z:/x", false},
        {"a:", "@/dosdevices/a:", false},
        {"Z:", "@/dosdevices/z:", false},
        {"[:\\x", "[:\\x", false},
        {"{:\\x", "{:\\x", false},
    };
    for (const auto& [windows, native, exists] : toNative) {
        SCOPED_TRACE(windows);
        EXPECT_EQ(ToNativePath(windows), at(native));
        EXPECT_EQ(FileExists(windows), exists);
    }

    prefix.makeDrive('z', "/");
    prefix.makeDrive('e', driveC);
    const std::pair<const char*, const char*> toWindows[] = {
        // native path, Windows path
        {"@/drive_c/game/pbd/", "C:\\game\\pbd\\"}, {"@/drive_c", "C:\\"},
        {"@/dosdevices/c:/game", "C:\\game"},       {"@/drive_c/caf\xC3\xA9", "C:\\caf\xE9"},
        {"/usr/share/doc", "Z:\\usr\\share\\doc"},
    };
    for (const auto& [native, windows] : toWindows) {
        SCOPED_TRACE(native);
        EXPECT_EQ(ToWindowsPath(at(native)), windows);
    }

    EXPECT_FALSE(StartProgram("C:\\GAME")) << "a folder";
    const fs::path marker = prefix.path() / "ran";
    fs::permissions(
        prefix.makeFile("drive_c/info.sh", "#!/bin/sh\ntouch '" + marker.string() + "'\n"),
        fs::perms::owner_all);
    EXPECT_TRUE(StartProgram("C:\\INFO.SH"));
    for (int tries = 0; tries < 500 && !fs::exists(marker); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(fs::exists(marker));
}

} // namespace
} // namespace kmission::platform
