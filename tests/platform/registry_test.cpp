#include "registry.h"

#include "temp_wine_prefix.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace kmission::platform {
namespace {

using test::TempWinePrefix;
using test::WineRegistryFile;

// A value reader that behaves as RegQueryValueExA over one stored value, and
// can be told to fail a given call.
class FakeValueReader final : public RegistryValueReader {
public:
    FakeValueReader(std::uint32_t type, std::string data) : type_(type), data_(std::move(data)) {}

    void failCall(int number, std::int32_t code) {
        failingCall_ = number;
        failCode_ = code;
    }

    int calls() const { return calls_; }

    std::int32_t queryValue(std::string_view name, std::uint32_t* type, char* data,
                            std::uint32_t* size) const override {
        ++calls_;
        EXPECT_EQ(name, "Program");
        if (calls_ == failingCall_) {
            return failCode_;
        }
        *type = type_;
        const auto needed = static_cast<std::uint32_t>(data_.size());
        if (data != nullptr) {
            if (*size < needed) {
                *size = needed;
                return kRegistryMoreData;
            }
            std::memcpy(data, data_.data(), data_.size());
        }
        *size = needed;
        return kRegistrySuccess;
    }

private:
    std::uint32_t type_;
    std::string data_;
    int failingCall_ = 0;
    std::int32_t failCode_ = 0;
    mutable int calls_ = 0;
};

struct QueryCase {
    const char* name;
    std::uint32_t type;
    std::string data;
    int failingCall; // 0: none
    std::int32_t expectedResult;
    RegistryValue expectedValue; // the value starts as the text "before"
};

TEST(QueryRegistryValueTest, ResultAndValueFollowTheRegistryCalls) {
    const RegistryValue before = std::string("before");
    const QueryCase cases[] = {
        {"text", kRegSz, std::string("C:\\Game\\\0", 9), 0, 0, std::string("C:\\Game\\")},
        {"empty text", kRegSz, std::string("\0", 1), 0, 0, std::string()},
        {"text of size zero", kRegSz, "", 0, 0, std::string()},
        {"last byte dropped even when not zero", kRegSz, "abcd", 0, 0, std::string("abc")},
        {"embedded zero kept", kRegSz, std::string("a\0b\0", 4), 0, 0, std::string("a\0b", 3)},
        {"number", kRegDword, std::string("\x2a\0\0\0", 4), 0, 0, std::int32_t{42}},
        {"number is signed", kRegDword, "\xfe\xff\xff\xff", 0, 0, std::int32_t{-2}},
        {"size query fails", kRegSz, "x", 1, 2, before},
        {"text read fails", kRegSz, std::string("abc\0", 4), 2, 5, std::string()},
        {"number read fails", kRegDword, std::string("\1\0\0\0", 4), 2, 6, before},
        {"number longer than 32 bits", kRegDword, std::string(8, '\1'), 0, kRegistryMoreData,
         before},
        {"expandable text", kRegExpandSz, std::string("%x%\0", 4), 0, -1, before},
        {"binary", kRegBinary, "\1\2", 0, -1, before},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeValueReader reader(c.type, c.data);
        if (c.failingCall != 0) {
            reader.failCall(c.failingCall, c.expectedResult);
        }
        RegistryValue value = before;
        EXPECT_EQ(QueryRegistryValue(reader, "Program", value), c.expectedResult);
        EXPECT_EQ(value, c.expectedValue);
    }
}

TEST(QueryRegistryValueTest, OtherTypesAreNotRead) {
    FakeValueReader reader(kRegBinary, "\1\2");
    RegistryValue value = std::int32_t{7};
    EXPECT_EQ(QueryRegistryValue(reader, "Program", value), -1);
    EXPECT_EQ(reader.calls(), 1);
    EXPECT_EQ(value, RegistryValue(std::int32_t{7}));
}

constexpr const char* kGameKey = "Software\\Brintell\\Korvane 3\\1.0";

std::string game_key_with(std::string_view lines) {
    return WineRegistryFile("[Software\\\\Brintell\\\\Korvane 3\\\\1.0] 1700000000\n" +
                            std::string(lines) + "\n");
}

TEST(RegistryKeyTest, AMissingRegistryFileIsAKeyThatDoesNotOpen) {
    TempWinePrefix prefix;
    RegistryKey key;
    EXPECT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistryFileNotFound);
    EXPECT_FALSE(key.isOpen());
    RegistryValue value = std::string("kept");
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistryFileNotFound);
    EXPECT_EQ(value, RegistryValue(std::string("kept")));
}

TEST(RegistryKeyTest, AMissingKeyDoesNotOpen) {
    TempWinePrefix prefix;
    prefix.writeSystemReg(WineRegistryFile("[Software\\\\Other] 1\n\"Program\"=\"x\"\n"));
    RegistryKey key;
    EXPECT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistryFileNotFound);
    EXPECT_FALSE(key.isOpen());
}

TEST(RegistryKeyTest, ReadsTextAsWindows1252AndNumbers) {
    TempWinePrefix prefix;
    prefix.writeSystemReg(
        game_key_with("\"Program\"=\"C:\\\\Spi\\xe8le\\\\\"\n\"Count\"=dword:00000010"));
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistrySuccess);
    RegistryValue value;
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("C:\\Spi\xE8le\\")));
    EXPECT_EQ(QueryRegistryValue(key, "count", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::int32_t{16}));
    EXPECT_EQ(QueryRegistryValue(key, "Missing", value), kRegistryFileNotFound);
    EXPECT_EQ(value, RegistryValue(std::int32_t{16}));
}

TEST(RegistryKeyTest, CurrentUserReadsUserReg) {
    TempWinePrefix prefix;
    prefix.writeSystemReg(game_key_with("\"Program\"=\"machine\""));
    prefix.writeUserReg(game_key_with("\"Program\"=\"user\""));
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::CurrentUser, kGameKey, kKeyRead), kRegistrySuccess);
    RegistryValue value;
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("user")));
}

TEST(RegistryKeyTest, EveryQueryReadsTheFileAgain) {
    TempWinePrefix prefix;
    prefix.writeSystemReg(game_key_with("\"Program\"=\"old\""));
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistrySuccess);
    prefix.writeSystemReg(game_key_with("\"Program\"=\"new\""));
    RegistryValue value;
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("new")));

    std::filesystem::remove(prefix.path() / "system.reg");
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistryFileNotFound);
    EXPECT_EQ(value, RegistryValue(std::string("new")));
}

TEST(RegistryKeyTest, AKeyOpenedInThe32BitViewIsReadThere) {
    TempWinePrefix prefix;
    prefix.writeSystemReg(WineRegistryFile(
        "[Software\\\\Wow6432Node\\\\Brintell\\\\Korvane 3\\\\1.0] 1\n\"Program\"=\"wow\"\n"));
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistrySuccess);
    RegistryValue value;
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("wow")));
}

TEST(RegistryKeyTest, ABufferTooSmallReportsTheSizeNeeded) {
    TempWinePrefix prefix;
    prefix.writeSystemReg(game_key_with("\"Program\"=\"abcdef\""));
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistrySuccess);
    char buffer[4] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(key.queryValue("Program", &type, buffer, &size), kRegistryMoreData);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(type, kRegSz);
}

TEST(RegistryKeyTest, MovingAKeyMovesItsHandle) {
    TempWinePrefix prefix;
    prefix.writeSystemReg(game_key_with("\"Program\"=\"x\""));
    RegistryKey first;
    ASSERT_EQ(first.open(RegistryRoot::LocalMachine, kGameKey, kKeyRead), kRegistrySuccess);
    RegistryKey second = std::move(first);
    EXPECT_TRUE(second.isOpen());
    EXPECT_FALSE(first.isOpen()); // NOLINT(bugprone-use-after-move): moved-from state is defined
    second.close();
    EXPECT_FALSE(second.isOpen());
    RegistryValue value = std::string("kept");
    EXPECT_EQ(QueryRegistryValue(second, "Program", value), kRegistryFileNotFound);
}

constexpr const char* kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

std::string msinfo_key_with(std::string_view line) {
    return WineRegistryFile("[Software\\\\Microsoft\\\\Shared Tools\\\\MSINFO] 1\n" +
                            std::string(line) + "\n");
}

std::string value_longer_than_the_buffer() {
    return msinfo_key_with("\"PATH\"=\"" + std::string(1024, 'a') + "\"");
}

struct KeyValueCase {
    const char* name;
    std::string fileText; // empty: no registry file
    bool expectedFound;
    std::string expectedText; // keyVal starts as "before"
};

TEST(GetKeyValueTest, GivesTextNumbersAndFailures) {
    const KeyValueCase cases[] = {
        {"text of five characters", msinfo_key_with("\"PATH\"=\"abcde\""), true, "abcde"},
        {"number as decimal text", msinfo_key_with("\"PATH\"=dword:0000002a"), true, "42"},
        {"negative number", msinfo_key_with("\"PATH\"=dword:ffffffff"), true, "-1"},
        {"zero", msinfo_key_with("\"PATH\"=dword:00000000"), true, "0"},
        {"text without terminating zero", msinfo_key_with("\"PATH\"=hex(1):48,00,69,00"), true,
         "Hi"},
        {"other type keeps the text", msinfo_key_with("\"PATH\"=hex:01,02"), true, "before"},
        {"longest text that fits", msinfo_key_with("\"PATH\"=\"" + std::string(1023, 'b') + "\""),
         true, std::string(1023, 'b')},
        {"text longer than the buffer", value_longer_than_the_buffer(), false, ""},
        {"missing value", msinfo_key_with("\"OTHER\"=\"x\""), false, ""},
        {"missing key", WineRegistryFile("[Software\\\\Microsoft] 1\n"), false, ""},
        {"no registry file", "", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempWinePrefix prefix;
        if (!c.fileText.empty()) {
            prefix.writeSystemReg(c.fileText);
        }
        std::string keyVal = "before";
        EXPECT_EQ(GetKeyValue(RegistryRoot::LocalMachine, kMsinfoKey, "PATH", keyVal),
                  c.expectedFound);
        EXPECT_EQ(keyVal, c.expectedText);
    }
}

} // namespace
} // namespace kmission::platform
