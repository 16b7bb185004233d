// The registry layer off Windows, over the files of a Wine prefix, and the
// game's data folder read through it.
#include "data_dir.h"
#include "registry.h"

#include "temp_wine_prefix.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kmission::platform {
namespace {

using test::GameKeyWith;
using test::TempWinePrefix;
using test::WineRegistryFile;

constexpr const char* kGameKey = "Software\\Brintell\\Korvane 3\\1.0";

// Answers as RegQueryValueExA over one stored value; call number `failingCall`
// fails with `failCode`.
class FakeValue final : public RegistryValueReader {
public:
    FakeValue(std::uint32_t type, std::string data, int failingCall, std::int32_t failCode)
        : type_(type), data_(std::move(data)), failingCall_(failingCall), failCode_(failCode) {}

    std::int32_t queryValue(std::string_view, std::uint32_t* type, char* data,
                            std::uint32_t* size) const override {
        if (++calls_ == failingCall_) {
            return failCode_;
        }
        *type = type_;
        const auto needed = static_cast<std::uint32_t>(data_.size());
        const bool fits = data == nullptr || *size >= needed;
        if (fits && data != nullptr) {
            std::memcpy(data, data_.data(), data_.size());
        }
        *size = needed;
        return fits ? kRegistrySuccess : kRegistryMoreData;
    }

private:
    std::uint32_t type_;
    std::string data_;
    int failingCall_;
    std::int32_t failCode_;
    mutable int calls_ = 0;
};

TEST(RegistryTest, QueryRegistryValueFollowsTheRegistryCalls) {
    const RegistryValue before = std::string("before");
    const struct {
        std::uint32_t type;
        std::string data;
        int failingCall; // 0: none
        std::int32_t result;
        RegistryValue value;
    } cases[] = {
        {kRegSz, std::string("C:\\\0", 4), 0, 0, std::string("C:\\")},
        {kRegSz, "", 0, 0, std::string()},
        {kRegSz, std::string("a\0bc", 4), 0, 0, std::string("a\0b", 3)},
        {kRegDword, "\xfe\xff\xff\x7f", 0, 0, std::int32_t{0x7ffffffe}},
        {kRegDword, "\xfe\xff\xff\xff", 0, 0, std::int32_t{-2}},
        {kRegSz, "x", 1, 2, before},
        {kRegSz, std::string("abc\0", 4), 2, 5, std::string()},
        {kRegDword, std::string("\1\0\0\0", 4), 2, 6, before},
        {kRegDword, std::string(8, '\1'), 0, kRegistryMoreData, before},
        {kRegExpandSz, std::string("%x%\0", 4), 0, -1, before},
        {kRegBinary, "\1\2", 0, -1, before},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        RegistryValue value = before;
        EXPECT_EQ(
            QueryRegistryValue(FakeValue(c.type, c.data, c.failingCall, c.result), "V", value),
            c.result);
        EXPECT_EQ(value, c.value);
    }
}

TEST(RegistryTest, KeysReadThePrefixFilesAfreshOnEveryCall) {
    TempWinePrefix prefix;
    RegistryKey key;
    EXPECT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistryFileNotFound);
    prefix.writeSystemReg(WineRegistryFile("[Software\\\\Other] 1\n"));
    EXPECT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistryFileNotFound);
    EXPECT_FALSE(key.isOpen());

    prefix.writeUserReg(GameKeyWith("\"Program\"=\"user\""));
    prefix.writeSystemReg(GameKeyWith("\"Program\"=\"old\""));
    RegistryValue value;
    ASSERT_EQ(key.open(RegistryRoot::CurrentUser, kGameKey, kKeyRead), kRegistrySuccess);
    EXPECT_EQ(QueryRegistryValue(key, "program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("user")));
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistrySuccess);
    prefix.writeSystemReg(GameKeyWith("\"Program\"=\"C:\\\\\\x416\\\\\"\n"
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
    EXPECT_EQ(moved.unicodeText("Program"), std::nullopt);
}

TEST(RegistryTest, GetKeyValueGivesTextNumbersAndFailures) {
    const auto msinfo = [](const std::string& line) {
        return WineRegistryFile("[Software\\\\Microsoft\\\\Shared Tools\\\\MSINFO] 1\n" + line);
    };
    const struct {
        std::string fileText; // empty: no registry file
        bool found;
        std::string text; // it starts as "before"
    } cases[] = {
        {msinfo("\"PATH\"=\"abcde\""), true, "abcde"},
        {msinfo("\"PATH\"=dword:0000002a"), true, "42"},
        {msinfo("\"PATH\"=dword:ffffffff"), true, "-1"},
        {msinfo("\"PATH\"=hex(1):48,00,69,00"), true, "Hi"},
        {msinfo("\"PATH\"=hex:01,02"), true, "before"},
        {msinfo("\"PATH\"=\"" + std::string(1023, 'b') + "\""), true, std::string(1023, 'b')},
        {msinfo("\"PATH\"=\"" + std::string(1024, 'a') + "\""), false, ""},
        {msinfo("\"OTHER\"=\"x\""), false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TempWinePrefix prefix;
        if (!c.fileText.empty()) {
            prefix.writeSystemReg(c.fileText);
        }
        std::string text = "before";
        EXPECT_EQ(GetKeyValue(RegistryRoot::LocalMachine,
                              "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", text),
                  c.found);
        EXPECT_EQ(text, c.text);
    }
}

TEST(RegistryTest, TheDataDirFollowsTheGamesFolder) {
    const struct {
        std::string systemReg; // empty: no registry file
        std::string expected;  // "@" stands for the prefix
    } cases[] = {
        {"", kFallbackDataDir},
        {GameKeyWith("\"Version\"=\"1.0\""), kFallbackDataDir},
        {GameKeyWith("\"Program\"=dword:00000001"), kFallbackDataDir},
        {GameKeyWith("\"Program\"=str(2):\"C:\\\\K3\\\\\""), kFallbackDataDir},
        {GameKeyWith("\"Program\"=\"C:\\\\Games\\\\K3\""), "C:\\Games\\K3pbd\\"},
        {GameKeyWith("\"Program\"=\"C:\\\\Cor\\x00e9e\\\\\""), "C:\\Cor\xE9"
                                                             "e\\pbd\\"},
        {WineRegistryFile("[Software\\\\Wow6432Node\\\\Brintell\\\\Korvane 3\\\\1.0] 1\n"
                          "\"Program\"=\"E:\\\\\"\n"),
         "E:\\pbd\\"},
        {GameKeyWith("\"Program\"=\"C:\\\\\\x416\\\\\""), "@/dosdevices/c:/\xD0\x96/pbd/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.systemReg);
        TempWinePrefix prefix;
        if (!c.systemReg.empty()) {
            prefix.writeSystemReg(c.systemReg);
        }
        const std::string expected =
            c.expected[0] == '@' ? prefix.path().string() + c.expected.substr(1) : c.expected;
        EXPECT_EQ(ReadDataDir(), expected);
    }
}

} // namespace
} // namespace kmission::platform
