#include "file_exists.h"

#include "core_fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kmission {
namespace {

using fixtures::TempDir;

class FileExistsTest : public testing::Test {
protected:
    void SetUp() override {
        folder.write("reader.pbd", fixtures::BytesOf("x"));
        folder.write("readermp01.PBD", fixtures::BytesOf(""));
        std::filesystem::create_directory(folder.path() / "sub");
        std::filesystem::create_directory(folder.path() / "subfolder");
    }
    std::string at(const std::string& name) const { return folder.file(name); }

    TempDir folder;
};

TEST_F(FileExistsTest, EmptyPathIsFalse) {
    EXPECT_FALSE(FileExists(""));
}

TEST_F(FileExistsTest, AnswersByListingTheFolder) {
    const std::pair<std::string, bool> cases[] = {
        {at("reader.pbd"), true},    {at("readermp01.PBD"), true}, // an empty file exists too
        {at("missing.pbd"), false},  {at("sub"), false},           // a folder is not a normal file
        {at("sub") + "/", false},    {at("nowhere/reader.pbd"), false},
        {at("*.pbd"), true},         {at("reader.pb?"), true},
        {at("readermp*.PBD"), true}, {at("*.xyz"), false},
        {at("sub*"), false}, // only folders match
        {at("nowhere/*"), false},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(FileExists(path), expected);
    }
}

} // namespace
} // namespace kmission
