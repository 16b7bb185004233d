#include "file_io.h"

#include "core_fixtures.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace kmission {
namespace {

namespace fs = std::filesystem;
using fixtures::TempDir;
using Names = std::set<std::string>;

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

// Writes `content` over `old` (when given) and checks what is left: only the
// target, holding the new bytes.
void ExpectWritten(std::size_t size, std::optional<std::size_t> old, std::string name = "out.PBD") {
    TempDir folder;
    if (old)
        folder.write(name, Pattern(*old, 1));
    const Bytes content = Pattern(size, 5);
    EXPECT_EQ(WriteFileSafely(folder.file(name), content), std::nullopt);
    EXPECT_EQ(folder.read(name), content);
    EXPECT_EQ(folder.entries(), Names{name});
}

TEST(WriteFileSafely, WritesNewFilesAndReplacesOldOnesWhole) {
    ExpectWritten(3 * kWriteChunkSize + 17, std::nullopt);
    ExpectWritten(10, 5000);
    ExpectWritten(0, 50);
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

// A failed write of any piece, or content that gives up part way, leaves every
// name with the old bytes: a new file is not made, a single name is renamed
// over only when complete, and a file with a second name (written in place)
// gets its old bytes back.
TEST(WriteFileSafely, EveryFailedWriteLeavesEveryNameAsItWas) {
    const Bytes old = Pattern(1000, 8);
    const Bytes content = Pattern(3 * kWriteChunkSize + 1, 4);
    const FileContent givesUp = [&content](const PieceWriter& write) {
        return write(ByteView(content).first(2 * kWriteChunkSize + 3)) && false;
    };
    for (int failing = 0; failing <= 4; ++failing) { // 0: the content gives up, else a piece fails
        const auto fail = [failing](int n) { return n == failing ? EIO : 0; };
        for (const int names : {0, 1, 2}) {
            SCOPED_TRACE(std::to_string(failing) + ", names " + std::to_string(names));
            TempDir folder;
            Names left;
            if (names > 0) {
                folder.write("out.PBD", old);
                left.insert("out.PBD");
            }
            if (names > 1) {
                fs::create_hard_link(folder.file("out.PBD"), folder.file("other.PBD"));
                left.insert("other.PBD");
            }
            EXPECT_EQ(failing == 0 ? WriteFileSafely(folder.file("out.PBD"), givesUp)
                                   : WriteFileSafely(folder.file("out.PBD"), content, fail),
                      failing == 0 ? kContentNotMade : std::strerror(EIO));
            for (const std::string& name : left)
                EXPECT_EQ(folder.read(name), old) << name;
            EXPECT_EQ(folder.entries(), left);
        }
    }
}

#ifndef _WIN32

// A save through a link goes to the file the link leads to; the link stays.
TEST(WriteFileSafely, SavesThroughALinkAndKeepsTheLink) {
    // What "link.PBD" holds, the file that must get the bytes, a second link on the way.
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"real.PBD", "real.PBD", nullptr}, {"sub/real.PBD", "sub/real.PBD", nullptr},
        {"sub/hop.PBD", "real.PBD", "../real.PBD"}, {"sub/new.PBD", "sub/new.PBD", nullptr}};
    // clang-format on
    for (const auto& [leadsTo, file, hop] : cases) {
        SCOPED_TRACE(leadsTo);
        TempDir folder;
        fs::create_directory(folder.path() / "sub");
        folder.write("real.PBD", Pattern(5000, 1));
        folder.write("sub/real.PBD", Pattern(5000, 1));
        fs::create_symlink(leadsTo, folder.path() / "link.PBD");
        if (hop)
            fs::create_symlink(hop, folder.path() / "sub/hop.PBD");
        EXPECT_EQ(WriteFileSafely(folder.file("link.PBD"), Pattern(100, 6)), std::nullopt);
        EXPECT_EQ(fs::read_symlink(folder.path() / "link.PBD"), leadsTo);
        EXPECT_EQ(folder.read(file), Pattern(100, 6));
    }
}

// A replaced file keeps its owner, group, mode and extended attributes; a
// target that is not a regular file is never replaced.
TEST(WriteFileSafely, KeepsWhatTheOldFileWasAndRefusesOtherKinds) {
    TempDir folder;
    const std::string target = folder.write("out.PBD", Pattern(10, 1));
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const bool root = ::geteuid() == 0; // only root can give a file away
    ASSERT_TRUE(!root || ::chown(target.c_str(), 1234, 5678) == 0);
    const bool xattr = ::setxattr(target.c_str(), "user.k", "v", 1, 0) == 0;
    ASSERT_EQ(WriteFileSafely(target, Pattern(20, 2)), std::nullopt);
    struct stat kept {};
    ASSERT_EQ(::stat(target.c_str(), &kept), 0);
    EXPECT_EQ(kept.st_mode & 07777, 0640u);
    EXPECT_TRUE(!root || (kept.st_uid == 1234 && kept.st_gid == 5678));
    char value = 'v'; // not every file system keeps user attributes
    EXPECT_TRUE(!xattr || (::getxattr(target.c_str(), "user.k", &value, 1) == 1 && value == 'v'));
    ASSERT_EQ(::mkfifo(folder.file("fifo.PBD").c_str(), 0644), 0);
    EXPECT_EQ(WriteFileSafely(folder.file("fifo.PBD"), Pattern(5, 3)), "it is not a regular file");
    EXPECT_TRUE(fs::is_fifo(folder.path() / "fifo.PBD"));
}

#endif

} // namespace
} // namespace kmission
