#include "file_io.h"

#include "core_fixtures.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace kmission {
namespace {

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

        TempDir empty;
        EXPECT_TRUE(WriteFileSafely(empty.file("new.PBD"), content, fail).has_value());
        EXPECT_TRUE(empty.entries().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, WriteFailure, testing::Values(ENOSPC, EIO));

TEST(WriteFileSafely, ReadOnlyFolderIsReported) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no read-only folders";
#else
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
#endif
    TempDir folder;
    std::filesystem::create_directory(folder.path() / "locked");
    const std::string target = (folder.path() / "locked" / "out.PBD").string();
    std::filesystem::permissions(folder.path() / "locked", std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_exec);
    const auto reason = WriteFileSafely(target, Pattern(10, 1));
    std::filesystem::permissions(folder.path() / "locked", std::filesystem::perms::owner_all);
    ASSERT_TRUE(reason.has_value());
    EXPECT_FALSE(reason->empty());
    EXPECT_TRUE(folder.entries("locked").empty());
}

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

} // namespace
} // namespace kmission
