#include "file_io.h"

#include "core_fixtures.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#ifndef _WIN32
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

TEST(ReadWholeFile, ReadsEveryByte) {
    TempDir folder;
    const Bytes content = Pattern(100000, 3);
    const std::string path = folder.write("a.pbd", content);
    const auto read = ReadWholeFile(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, content);
}

TEST(ReadWholeFile, EmptyFileIsEmptyNotMissing) {
    TempDir folder;
    const auto read = ReadWholeFile(folder.write("empty.pbd", {}));
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->empty());
}

TEST(ReadWholeFile, MissingFileOrFolderIsNothing) {
    TempDir folder;
    EXPECT_FALSE(ReadWholeFile(folder.file("missing.pbd")).has_value());
    EXPECT_FALSE(ReadWholeFile(folder.path().string()).has_value());
}

TEST(WriteFileSafely, WritesANewFileAndLeavesNothingElse) {
    TempDir folder;
    const Bytes content = Pattern(3 * kWriteChunkSize + 17, 5);
    const std::string target = folder.file("out.PBD");
    EXPECT_EQ(WriteFileSafely(target, content), std::nullopt);
    EXPECT_EQ(folder.read("out.PBD"), content);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"out.PBD"});
}

TEST(WriteFileSafely, ReplacesALongerFileWhole) {
    TempDir folder;
    const std::string target = folder.write("out.PBD", Pattern(5000, 1));
    const Bytes content = Pattern(10, 9);
    EXPECT_EQ(WriteFileSafely(target, content), std::nullopt);
    EXPECT_EQ(folder.read("out.PBD"), content);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"out.PBD"});
}

TEST(WriteFileSafely, WritesAnEmptyFile) {
    TempDir folder;
    const std::string target = folder.write("out.PBD", Pattern(50, 1));
    EXPECT_EQ(WriteFileSafely(target, {}), std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_EQ(std::filesystem::file_size(target), 0u);
}

TEST(WriteFileSafely, WritesInNumberedPieces) {
    TempDir folder;
    const Bytes content = Pattern(2 * kWriteChunkSize + 5, 2);
    std::vector<int> numbers;
    const auto record = [&numbers](int n) {
        numbers.push_back(n);
        return 0;
    };
    EXPECT_EQ(WriteFileSafely(folder.file("out.PBD"), content, record), std::nullopt);
    EXPECT_EQ(folder.read("out.PBD"), content);
    ASSERT_GE(numbers.size(), 3u);
    for (std::size_t i = 0; i < numbers.size(); ++i)
        EXPECT_EQ(numbers[i], static_cast<int>(i) + 1);
}

// Fails the write with the given number and checks that nothing was harmed.
class WriteFailure : public testing::TestWithParam<int> {};

TEST_P(WriteFailure, EveryFailedWriteLeavesTheTargetAsItWas) {
    const int error = GetParam();
    const Bytes content = Pattern(3 * kWriteChunkSize + 1, 4);

    int writes = 0;
    {
        TempDir probe;
        const auto count = [&writes](int) {
            ++writes;
            return 0;
        };
        ASSERT_EQ(WriteFileSafely(probe.file("out.PBD"), content, count), std::nullopt);
    }
    ASSERT_GE(writes, 4);

    for (int failing = 1; failing <= writes; ++failing) {
        SCOPED_TRACE("write " + std::to_string(failing));
        const auto fail = [failing, error](int n) { return n == failing ? error : 0; };

        TempDir folder;
        const Bytes old = Pattern(1000, 8);
        const std::string target = folder.write("out.PBD", old);
        const auto reason = WriteFileSafely(target, content, fail);
        ASSERT_TRUE(reason.has_value());
        EXPECT_FALSE(reason->empty());
        EXPECT_EQ(folder.read("out.PBD"), old);
        EXPECT_EQ(folder.entries(), std::set<std::string>{"out.PBD"});

        // A file with a second name cannot be renamed over, so it is written
        // in place; a failure must still leave both names with the old bytes.
        TempDir linked;
        const std::string first = linked.write("out.PBD", old);
        fs::create_hard_link(first, linked.file("other.PBD"));
        EXPECT_TRUE(WriteFileSafely(first, content, fail).has_value());
        EXPECT_EQ(linked.read("out.PBD"), old);
        EXPECT_EQ(linked.read("other.PBD"), old);
        EXPECT_EQ(linked.entries(), (std::set<std::string>{"other.PBD", "out.PBD"}));

        TempDir empty;
        EXPECT_TRUE(WriteFileSafely(empty.file("new.PBD"), content, fail).has_value());
        EXPECT_TRUE(empty.entries().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, WriteFailure, testing::Values(ENOSPC, EIO));

TEST(WriteFileSafely, TargetThatIsAFolderIsReported) {
    TempDir folder;
    std::filesystem::create_directory(folder.path() / "out.PBD");
    folder.write("out.PBD/inside", Pattern(10, 1));
    const auto reason = WriteFileSafely(folder.file("out.PBD"), Pattern(10, 2));
    ASSERT_TRUE(reason.has_value());
    EXPECT_FALSE(reason->empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "out.PBD"));
    EXPECT_EQ(folder.read("out.PBD/inside"), Pattern(10, 1));
    EXPECT_EQ(folder.entries(), std::set<std::string>{"out.PBD"});
}

TEST(WriteFileSafely, MissingFolderIsReported) {
    TempDir folder;
    const auto reason = WriteFileSafely(folder.file("nowhere/out.PBD"), Pattern(10, 2));
    ASSERT_TRUE(reason.has_value());
    EXPECT_FALSE(reason->empty());
    EXPECT_TRUE(folder.entries().empty());
}

#ifndef _WIN32

// A save through a link goes to the file the link leads to; the link stays.
struct LinkCase {
    const char* name;
    const char* link;    // the name saved to
    const char* leadsTo; // what the link holds
    const char* file;    // the file that must get the bytes, relative to the folder
    const char* hop;     // a second link on the way (its name and text), if any
    const char* hopTo;
};

TEST(WriteFileSafely, SavesThroughALinkAndKeepsTheLink) {
    const LinkCase cases[] = {
        {"relative link", "link.PBD", "real.PBD", "real.PBD", nullptr, nullptr},
        {"link into another folder", "link.PBD", "sub/real.PBD", "sub/real.PBD", nullptr, nullptr},
        {"link to a link", "link.PBD", "sub/hop.PBD", "real.PBD", "sub/hop.PBD", "../real.PBD"},
        {"link to no file yet", "link.PBD", "sub/new.PBD", "sub/new.PBD", nullptr, nullptr},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        fs::create_directory(folder.path() / "sub");
        folder.write("real.PBD", Pattern(5000, 1));
        folder.write("sub/real.PBD", Pattern(5000, 1));
        fs::create_symlink(c.leadsTo, folder.path() / c.link);
        if (c.hop)
            fs::create_symlink(c.hopTo, folder.path() / c.hop);
        const Bytes content = Pattern(100, 6);

        EXPECT_EQ(WriteFileSafely(folder.file(c.link), content), std::nullopt);
        std::error_code notALink;
        EXPECT_EQ(fs::read_symlink(folder.path() / c.link, notALink), c.leadsTo);
        EXPECT_EQ(folder.read(c.file), content);
    }
}

TEST(WriteFileSafely, EveryNameOfAHardLinkedFileShowsTheNewBytes) {
    for (const std::size_t size : {3 * kWriteChunkSize + 9, std::size_t{10}}) {
        SCOPED_TRACE(size);
        TempDir folder;
        fs::create_directory(folder.path() / "sub");
        const std::string target = folder.write("out.PBD", Pattern(5000, 1));
        fs::create_hard_link(target, folder.file("sub/other.PBD"));
        const Bytes content = Pattern(size, 6);

        EXPECT_EQ(WriteFileSafely(target, content), std::nullopt);
        EXPECT_EQ(folder.read("sub/other.PBD"), content);
        EXPECT_EQ(folder.read("out.PBD"), content);
        EXPECT_EQ(fs::hard_link_count(target), 2u);
    }
}

// Makes a socket file at `path` (the socket itself is closed again).
void MakeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

TEST(WriteFileSafely, RefusesATargetThatIsNotARegularFile) {
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> make;
        fs::file_type type; // of what the path leads to, before and after
    };
    const Case cases[] = {
        {"fifo", [](const std::string& path) { ::mkfifo(path.c_str(), 0644); },
         fs::file_type::fifo},
        {"socket", MakeSocket, fs::file_type::socket},
        {"link to a device", [](const std::string& path) { fs::create_symlink("/dev/null", path); },
         fs::file_type::character},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        const std::string target = folder.file("out.PBD");
        c.make(target);
        ASSERT_EQ(fs::status(target).type(), c.type);

        EXPECT_EQ(WriteFileSafely(target, Pattern(10, 2)), "it is not a regular file");
        EXPECT_EQ(fs::status(target).type(), c.type);
        EXPECT_EQ(folder.entries(), std::set<std::string>{"out.PBD"});
    }
}

TEST(WriteFileSafely, KeepsOwnerGroupAndMode) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another owner";
    TempDir folder;
    const std::string target = folder.write("out.PBD", Pattern(50, 1));
    ASSERT_EQ(::chown(target.c_str(), 4242, 4343), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);

    ASSERT_EQ(WriteFileSafely(target, Pattern(70, 2)), std::nullopt);
    struct stat saved {};
    ASSERT_EQ(::stat(target.c_str(), &saved), 0);
    EXPECT_EQ(saved.st_uid, 4242u);
    EXPECT_EQ(saved.st_gid, 4343u);
    EXPECT_EQ(saved.st_mode & 07777, 0640u);
}

// Extended attributes carry what tools and the desktop note on a file (access
// lists, tags, where it came from); the replacement keeps them.
TEST(WriteFileSafely, KeepsExtendedAttributes) {
    TempDir folder;
    const std::string target = folder.write("out.PBD", Pattern(50, 1));
    const std::string note = "kept";
    if (::setxattr(target.c_str(), "user.kmission.note", note.data(), note.size(), 0) != 0)
        GTEST_SKIP() << "this file system keeps no extended attributes: " << std::strerror(errno);

    ASSERT_EQ(WriteFileSafely(target, Pattern(70, 2)), std::nullopt);
    std::string read(16, '\0');
    const ssize_t length =
        ::getxattr(target.c_str(), "user.kmission.note", read.data(), read.size());
    EXPECT_EQ(read.substr(0, static_cast<std::size_t>(std::max<ssize_t>(length, 0))), note);
}

TEST(WriteFileSafely, SavesToTheLongestNamesTheFileSystemTakes) {
    for (const std::size_t length : {240u, 250u, 255u}) {
        SCOPED_TRACE(length);
        const std::string name = std::string(length - 4, 'm') + ".PBD";
        for (const bool existing : {true, false}) {
            SCOPED_TRACE(existing ? "replacing" : "new");
            TempDir folder;
            if (existing)
                folder.write(name, Pattern(5000, 1));
            const Bytes content = Pattern(100, 3);

            EXPECT_EQ(WriteFileSafely(folder.file(name), content), std::nullopt);
            EXPECT_EQ(folder.read(name), content);
            EXPECT_EQ(folder.entries(), std::set<std::string>{name});
        }
    }
}

// A small file system of its own, so that a save can really run out of room.
class SmallDisk {
public:
    explicit SmallDisk(const TempDir& folder) : path_(folder.path() / "disk") {
        fs::create_directory(path_);
        mounted_ = ::mount("kmission-test", path_.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            ::umount(path_.c_str());
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

private:
    fs::path path_;
    bool mounted_ = false;
};

TEST(WriteFileSafely, FullDiskLeavesEveryNameAsItWas) {
    for (const bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked ? "hard-linked" : "single name");
        TempDir folder;
        const SmallDisk disk(folder);
        if (!disk.mounted())
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
    }
}

#endif

} // namespace
} // namespace kmission
