#include "native_path.h"

#include "temp_wine_prefix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace kmission::platform {
namespace {

namespace fs = std::filesystem;
using test::TempWinePrefix;

// A prefix whose drive C holds the game in lower case, as copied by hand.
class NativePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        driveC_ = prefix_.makeDrive('c', "drive_c");
        reader_ = prefix_.makeFile("drive_c/game/pbd/reader.pbd");
        prefix_.makeFile("drive_c/game/pbd/readermp01.pbd");
    }

    // Where a path on drive C is found: through the drive's link.
    std::string c(const std::string& relative) const {
        return (prefix_.path() / "dosdevices" / "c:" / relative).string();
    }

    TempWinePrefix prefix_;
    fs::path driveC_;
    fs::path reader_;
};

TEST_F(NativePathTest, DriveLetterPathsAreFoundWhateverTheirCase) {
    const struct {
        const char* windows;
        std::string native;
    } cases[] = {
        {"C:\\GAME\\PBD\\READER.PBD", c("game/pbd/reader.pbd")},
        {"c:\\game\\pbd\\reader.pbd", c("game/pbd/reader.pbd")},
        {"C:/Game/Pbd/Reader.Pbd", c("game/pbd/reader.pbd")},
        {"C:\\GAME\\\\PBD\\", c("game/pbd") + "/"},
        {"C:\\", c("")},
        {"C:\\GAME\\MISSING\\READER.PBD", c("game/MISSING/READER.PBD")},
        {"C:\\GAME\\PBD\\READERMP*.PBD", c("game/pbd/READERMP*.PBD")},
        {"C:\\GAME\\.\\PBD\\..\\PBD", c("game/./pbd/../pbd")},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.windows);
        EXPECT_EQ(ToNativePath(t.windows), t.native);
    }
}

TEST_F(NativePathTest, TheExactNameWinsOverOtherCases) {
    prefix_.makeFile("drive_c/game/Data/a");
    prefix_.makeFile("drive_c/game/data/b");
    prefix_.makeFile("drive_c/game/DATA/c");
    EXPECT_EQ(ToNativePath("C:\\game\\data\\b"), c("game/data/b"));
    EXPECT_EQ(ToNativePath("C:\\game\\Data\\a"), c("game/Data/a"));
    EXPECT_EQ(ToNativePath("C:\\game\\dAtA\\c"), c("game/DATA/c"))
        << "without an exact name the first in name order is used";
}

TEST_F(NativePathTest, Windows1252NamesMatchTheirUtf8Folders) {
    prefix_.makeFile("drive_c/caf\xC3\xA9/x");
    EXPECT_EQ(ToNativePath("C:\\CAF\xC9\\X"), c("caf\xC3\xA9/x"));
}

TEST_F(NativePathTest, OtherPathsAreAlreadyNative) {
    for (const char* path : {"/home/user/readermp01.PBD", "relative/file", "", "\\\\server\\share",
                             "1:\\not-a-drive"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ToNativePath(path), path);
    }
}

TEST_F(NativePathTest, EachDriveLetterHasItsOwnLink) {
    const fs::path driveD = prefix_.makeDrive('d', "cdrom");
    prefix_.makeFile("cdrom/KORV3/PBD/READER.PBD");
    EXPECT_EQ(ToNativePath("D:\\Korv3\\pbd\\reader.pbd"),
              (prefix_.path() / "dosdevices/d:/KORV3/PBD/READER.PBD").string());
    EXPECT_TRUE(FileExists("D:\\Korv3\\pbd\\reader.pbd"));
    EXPECT_FALSE(FileExists("E:\\Korv3\\pbd\\reader.pbd")) << "no such drive";
}

TEST_F(NativePathTest, NativePathsBecomeDrivePaths) {
    prefix_.linkDrive('z', "/");
    EXPECT_EQ(ToWindowsPath(reader_.string()), "C:\\game\\pbd\\reader.pbd")
        << "the deepest drive wins over z:";
    EXPECT_EQ(ToWindowsPath((driveC_ / "game/pbd/").string()), "C:\\game\\pbd\\");
    EXPECT_EQ(ToWindowsPath(driveC_.string()), "C:\\");
    EXPECT_EQ(ToWindowsPath("/usr/share/doc"), "Z:\\usr\\share\\doc");
    EXPECT_EQ(ToWindowsPath((driveC_ / "new/file.pbd").string()), "C:\\new\\file.pbd")
        << "need not exist";
    EXPECT_EQ(ToWindowsPath(c("game")), "C:\\game") << "through the link itself";
    EXPECT_EQ(ToWindowsPath("relative/path"), "relative/path");
    EXPECT_EQ(ToWindowsPath(ToNativePath("C:\\GAME\\PBD\\READER.PBD")),
              "C:\\game\\pbd\\reader.pbd");
}

TEST_F(NativePathTest, NativePathsOutsideEveryDriveStayNative) {
    EXPECT_EQ(ToWindowsPath("/usr/share/doc"), "/usr/share/doc");
}

TEST(NativePathWithoutPrefixTest, DrivePathsStayAsTheyAre) {
    TempWinePrefix prefix;
    const char* home = std::getenv("HOME");
    const std::string savedHome = home != nullptr ? home : "";
    unsetenv("WINEPREFIX");
    unsetenv("HOME");
    const std::string native = ToNativePath("C:\\GAME\\PBD\\READER.PBD");
    if (home != nullptr) {
        setenv("HOME", savedHome.c_str(), 1);
    }
    EXPECT_EQ(native, "C:\\GAME\\PBD\\READER.PBD");
}

TEST_F(NativePathTest, FileExistsTranslatesFirst) {
    fs::create_directories(driveC_ / "game/pbd/folder.pbd");
    const struct {
        const char* path;
        bool exists;
    } cases[] = {
        {"", false},
        {"C:\\GAME\\PBD\\READER.PBD", true},
        {"C:\\GAME\\PBD\\reader*.pbd", true},
        {"C:\\GAME\\PBD\\reader?.pbd", false},
        {"C:\\GAME\\PBD\\*.txt", false},
        {"C:\\GAME\\PBD", false},
        {"C:\\GAME\\PBD\\FOLDER.PBD", false},
        {"C:\\GAME\\PBD\\NOTHERE.PBD", false},
        {"C:\\NOWHERE\\READER.PBD", false},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.path);
        EXPECT_EQ(FileExists(t.path), t.exists);
    }
    EXPECT_TRUE(FileExists(reader_.string())) << "a native path";
}

} // namespace
} // namespace kmission::platform
