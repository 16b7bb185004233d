#include "file_exists.h"
#include "file_io.h"

#include "core_fixtures.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#ifndef _WIN32
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace kmission {
namespace {

namespace fs = std::filesystem;
using fixtures::TempDir;

// Distinct bytes, so that a piece written twice or in the wrong place shows.
Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7 + seed + i / 251) & 0xFF);
    return bytes;
}

TEST(ReadWholeFile, ReadsEveryBytePieceByPiece) {
    TempDir folder;
    const Bytes content = Pattern(2 * kReadChunkSize + 1, 3);
    int pieces = 0;
    EXPECT_EQ(ReadWholeFile(folder.write("a.pbd", content), [&pieces] { ++pieces; }), content);
    EXPECT_EQ(pieces, 3);
    EXPECT_EQ(ReadWholeFile(folder.write("empty.pbd", {})), Bytes{});
    EXPECT_EQ(ReadWholeFile(folder.file("missing.pbd")), std::nullopt);
    EXPECT_EQ(ReadWholeFile(folder.path().string()), std::nullopt);
}

TEST(FileExists, AnswersByListingTheFolder) {
    TempDir folder;
    folder.write("reader.pbd", fixtures::BytesOf("x"));
    folder.write("readermp01.PBD", {});
    fs::create_directory(folder.path() / "subfolder");
    const auto at = [&folder](const char* name) { return folder.file(name); };
    // clang-format off
    const std::pair<std::string, bool> cases[] = {
        {"", false}, {at("reader.pbd"), true}, {at("readermp01.PBD"), true}, // an empty file too
        {at("missing.pbd"), false}, {at("subfolder"), false}, {at("subfolder/"), false}, // a folder
        {at("nowhere/reader.pbd"), false}, {at("*.pbd"), true}, {at("reader.pb?"), true},
        {at("re*mp*.PBD"), true}, {at("*.xyz"), false}, {at("reader.pbd?"), false},
        {at("*r.pbd*"), true},
        {at("sub*"), false}, {at("nowhere/*"), false}}; // only a folder matches, or nothing
    // clang-format on
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(FileExists(path), expected) << path;
}

// Writes `content` over `old` (when given) and checks what is left: only the
// target, holding the new bytes.
void ExpectWritten(std::size_t size, std::optional<std::size_t> old, std::string name = "out.PBD") {
    TempDir folder;
    if (old)
        folder.write(name, Pattern(*old, 1));
    const Bytes content = Pattern(size, 5);
    EXPECT_EQ(WriteFileSafely(folder.file(name), content), std::nullopt);
    EXPECT_EQ(folder.read(name), content);
    EXPECT_EQ(folder.entries(), std::set<std::string>{name});
}

TEST(WriteFileSafely, WritesNewFilesAndReplacesOldOnesWhole) {
    ExpectWritten(3 * kWriteChunkSize + 17, std::nullopt);
    ExpectWritten(10, 5000);
    ExpectWritten(0, 50);
#ifndef _WIN32
    // The longest names the file system takes, new and replaced.
    ExpectWritten(100, std::nullopt, std::string(251, 'm') + ".PBD");
    ExpectWritten(100, 5000, std::string(251, 'm') + ".PBD");
#endif
    std::vector<int> numbers;
    TempDir folder;
    const auto record = [&numbers](int n) {
        numbers.push_back(n);
        return 0;
    };
    EXPECT_EQ(WriteFileSafely(folder.file("out.PBD"), Pattern(2 * kWriteChunkSize + 5, 2), record),
              std::nullopt);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3}));
}

// A failed write of any piece leaves every name with the old bytes: a new file
// is not made, a single name is renamed over only when complete, and a file
// with a second name (written in place) gets its old bytes back.
TEST(WriteFileSafely, EveryFailedWriteLeavesEveryNameAsItWas) {
    const Bytes old = Pattern(1000, 8);
    for (const int error : {ENOSPC, EIO}) {
        for (int failing = 1; failing <= 4; ++failing) { // the four pieces of the new bytes
            const auto fail = [failing, error](int n) { return n == failing ? error : 0; };
            for (const int names : {0, 1, 2}) {
                SCOPED_TRACE(std::to_string(error) + " at write " + std::to_string(failing) +
                             ", names " + std::to_string(names));
                TempDir folder;
                std::set<std::string> left;
                if (names > 0)
                    left.insert(
                        std::filesystem::path(folder.write("out.PBD", old)).filename().string());
                if (names > 1) {
                    fs::create_hard_link(folder.file("out.PBD"), folder.file("other.PBD"));
                    left.insert("other.PBD");
                }
                EXPECT_EQ(WriteFileSafely(folder.file("out.PBD"),
                                          Pattern(3 * kWriteChunkSize + 1, 4), fail),
                          std::strerror(error));
                for (const std::string& name : left)
                    EXPECT_EQ(folder.read(name), old) << name;
                EXPECT_EQ(folder.entries(), left);
            }
        }
    }
}

TEST(WriteFileSafely, TargetThatIsAFolderOrInNoFolderIsReported) {
    TempDir folder;
    fs::create_directory(folder.path() / "out.PBD");
    folder.write("out.PBD/inside", Pattern(10, 1));
    EXPECT_EQ(WriteFileSafely(folder.file("out.PBD"), Pattern(10, 2)), "it is a folder");
    EXPECT_EQ(folder.read("out.PBD/inside"), Pattern(10, 1));
    EXPECT_EQ(WriteFileSafely(folder.file("nowhere/out.PBD"), Pattern(10, 2)),
              std::strerror(ENOENT));
    EXPECT_EQ(folder.entries(), std::set<std::string>{"out.PBD"});
}

#ifndef _WIN32

// A save through a link goes to the file the link leads to; the link stays.
TEST(WriteFileSafely, SavesThroughALinkAndKeepsTheLink) {
    struct LinkCase {
        const char* leadsTo; // what "link.PBD" holds
        const char* file;    // the file that must get the bytes
        const char* hop;     // a second link on the way (its name and text), if any
        const char* hopTo;
    };
    // clang-format off
    const LinkCase cases[] = {{"real.PBD", "real.PBD", nullptr, nullptr},
                              {"sub/real.PBD", "sub/real.PBD", nullptr, nullptr},
                              {"sub/hop.PBD", "real.PBD", "sub/hop.PBD", "../real.PBD"},
                              {"sub/new.PBD", "sub/new.PBD", nullptr, nullptr}}; // no file yet
    // clang-format on
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.leadsTo);
        TempDir folder;
        fs::create_directory(folder.path() / "sub");
        folder.write("real.PBD", Pattern(5000, 1));
        folder.write("sub/real.PBD", Pattern(5000, 1));
        fs::create_symlink(c.leadsTo, folder.path() / "link.PBD");
        if (c.hop)
            fs::create_symlink(c.hopTo, folder.path() / c.hop);
        EXPECT_EQ(WriteFileSafely(folder.file("link.PBD"), Pattern(100, 6)), std::nullopt);
        EXPECT_EQ(fs::read_symlink(folder.path() / "link.PBD"), c.leadsTo);
        EXPECT_EQ(folder.read(c.file), Pattern(100, 6));
    }
}

// A file with a second name is written in place, larger or smaller than before.
TEST(WriteFileSafely, EveryNameOfAHardLinkedFileShowsTheNewBytes) {
    for (const std::size_t size : {3 * kWriteChunkSize + 9, std::size_t{10}}) {
        TempDir folder;
        fs::create_directory(folder.path() / "sub");
        const std::string target = folder.write("out.PBD", Pattern(5000, 1));
        fs::create_hard_link(target, folder.file("sub/other.PBD"));
        EXPECT_EQ(WriteFileSafely(target, Pattern(size, 6)), std::nullopt);
        EXPECT_EQ(folder.read("sub/other.PBD"), Pattern(size, 6)) << size;
        EXPECT_EQ(folder.read("out.PBD"), Pattern(size, 6)) << size;
        EXPECT_EQ(fs::hard_link_count(target), 2u);
    }
}

TEST(WriteFileSafely, RefusesATargetThatIsNotARegularFile) {
    for (const bool fifo : {true, false}) {
        TempDir folder;
        const std::string target = folder.file("out.PBD");
        if (fifo)
            ASSERT_EQ(::mkfifo(target.c_str(), 0644), 0);
        else
            fs::create_symlink("/dev/null", target);
        const fs::file_type type = fs::status(target).type();
        EXPECT_EQ(WriteFileSafely(target, Pattern(10, 2)), "it is not a regular file");
        EXPECT_EQ(fs::status(target).type(), type);
        EXPECT_EQ(folder.entries(), std::set<std::string>{"out.PBD"});
    }
}

// The replacement keeps owner, group, mode and the extended attributes (what
// tools and the desktop note on a file: access lists, tags, where it came from).
TEST(WriteFileSafely, KeepsOwnerGroupModeAndExtendedAttributes) {
    TempDir folder;
    const std::string target = folder.write("out.PBD", Pattern(50, 1));
    const bool root = ::geteuid() == 0; // only root can give a file to another owner
    ASSERT_EQ(root ? ::chown(target.c_str(), 4242, 4343) : 0, 0);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const std::string note = "kept";
    const bool attributes =
        ::setxattr(target.c_str(), "user.kmission.note", note.data(), note.size(), 0) == 0;

    ASSERT_EQ(WriteFileSafely(target, Pattern(70, 2)), std::nullopt);
    struct stat saved {};
    ASSERT_EQ(::stat(target.c_str(), &saved), 0);
    EXPECT_EQ(saved.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(std::pair(saved.st_uid, saved.st_gid), std::pair(4242u, 4343u));
    }
    std::string read(16, '\0');
    read.resize(static_cast<std::size_t>(std::max<ssize_t>(
        ::getxattr(target.c_str(), "user.kmission.note", read.data(), read.size()), 0)));
    if (attributes) {
        EXPECT_EQ(read, note);
    }
}

// On a small file system of its own a save really runs out of room (only root
// may mount one): the rename and the in-place rewrite both leave the old bytes.
TEST(WriteFileSafely, FullDiskLeavesEveryNameAsItWas) {
    for (const bool hardLinked : {false, true}) {
        TempDir folder;
        const std::string disk = folder.file("disk");
        fs::create_directory(disk);
        if (::mount("kmission-test", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "cannot mount a small file system here (needs root)";
        const Bytes old = Pattern(20 * 1024, 1);
        const std::string target = folder.write("disk/out.PBD", old);
        std::set<std::string> names{"out.PBD"};
        if (hardLinked) {
            fs::create_hard_link(target, folder.file("disk/other.PBD"));
            names.insert("other.PBD");
        }
        EXPECT_EQ(WriteFileSafely(target, Pattern(70 * 1024, 2)), std::strerror(ENOSPC));
        for (const std::string& name : names)
            EXPECT_EQ(folder.read("disk/" + name), old) << name;
        EXPECT_EQ(folder.entries("disk"), names);
        ::umount(disk.c_str());
    }
}

#endif

} // namespace
} // namespace kmission
