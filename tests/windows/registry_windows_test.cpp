// The registry layer on Windows (run under Wine by scripts/windows-check.sh):
// values are written with the system's own "reg" program and read back through
// RegistryKey, QueryRegistryValue and GetKeyValue.
#include "registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace kmission::platform {
namespace {

// Runs reg.exe with `arguments` and returns its exit code (-1 when it cannot
// be started).
int RunReg(const std::string& arguments) {
    std::string commandLine = "reg.exe " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// A key of its own under Software, made empty and removed again.
class RegistryFixture : public testing::Test {
protected:
    static constexpr const char* kPath = "Software\\KMission Windows Check";

    void SetUp() override { removeKeys(); }
    void TearDown() override { removeKeys(); }

    static std::string quoted(const std::string& root, const std::string& path) {
        return "\"" + root + "\\" + path + "\"";
    }

    // `reg add` of one value; `data` is passed as reg's /d argument, quotes and
    // escapes included.
    static void addValue(const std::string& root, const std::string& name, const char* type,
                         const std::string& data, const char* view = "") {
        const std::string arguments = "add " + quoted(root, kPath) + " /v \"" + name + "\" /t " +
                                      type + " /d " + data + " /f" + view;
        ASSERT_EQ(RunReg(arguments), 0) << arguments;
    }

    static void removeKeys() {
        RunReg("delete " + quoted("HKCU", kPath) + " /f");
        RunReg("delete " + quoted("HKLM", kPath) + " /f /reg:64");
        RunReg("delete " + quoted("HKLM", kPath) + " /f /reg:32");
    }
};

struct ValueCase {
    const char* name;
    const char* type;
    std::string data;            // reg's /d argument
    std::int32_t expectedResult; // of QueryRegistryValue
    RegistryValue expectedValue; // the value starts as the text "before"
};

using QueryRegistryValueTest = RegistryFixture;

TEST_F(QueryRegistryValueTest, ReadsWhatRegWrote) {
    const RegistryValue before = std::string("before");
    const ValueCase cases[] = {
        {"text", "REG_SZ", "\"C:\\Games\\Korvane 3\\\\\"", kRegistrySuccess,
         std::string("C:\\Games\\Korvane 3\\")},
        {"empty text", "REG_SZ", "\"\"", kRegistrySuccess, std::string()},
        {"number", "REG_DWORD", "42", kRegistrySuccess, std::int32_t{42}},
        {"number above the signed range", "REG_DWORD", "0xfffffffe", kRegistrySuccess,
         std::int32_t{-2}},
        {"expandable text", "REG_EXPAND_SZ", "\"%SystemRoot%\"", -1, before},
        {"binary", "REG_BINARY", "0102", -1, before},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.name);
        addValue("HKCU", c.name, c.type, c.data);
        RegistryKey key;
        ASSERT_EQ(key.open(RegistryRoot::CurrentUser, kPath, kKeyRead), kRegistrySuccess);
        RegistryValue value = before;
        EXPECT_EQ(QueryRegistryValue(key, c.name, value), c.expectedResult);
        EXPECT_EQ(value, c.expectedValue);
    }
}

TEST_F(QueryRegistryValueTest, AMissingValueLeavesTheValueAlone) {
    addValue("HKCU", "Program", "REG_SZ", "x");
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::CurrentUser, kPath, kKeyRead), kRegistrySuccess);
    RegistryValue value = std::int32_t{7};
    EXPECT_EQ(QueryRegistryValue(key, "Missing", value), kRegistryFileNotFound);
    EXPECT_EQ(value, RegistryValue(std::int32_t{7}));
}

using RegistryKeyTest = RegistryFixture;

TEST_F(RegistryKeyTest, AMissingKeyDoesNotOpenAndAnswersNotFound) {
    RegistryKey key;
    EXPECT_EQ(key.open(RegistryRoot::CurrentUser, kPath, kKeyRead), kRegistryFileNotFound);
    EXPECT_FALSE(key.isOpen());
    RegistryValue value = std::string("kept");
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistryFileNotFound);
    EXPECT_EQ(value, RegistryValue(std::string("kept")));
}

TEST_F(RegistryKeyTest, AKeyOfA32BitInstallerIsFoundInThe32BitView) {
    addValue("HKLM", "Program", "REG_SZ", "\"wow\"", " /reg:32");
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kPath, kKeyRead), kRegistrySuccess);
    RegistryValue value;
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("wow")));
}

// The game's installer is a 32-bit program.
TEST_F(RegistryKeyTest, The32BitViewComesFirst) {
    addValue("HKLM", "Program", "REG_SZ", "\"wow\"", " /reg:32");
    addValue("HKLM", "Program", "REG_SZ", "\"native\"", " /reg:64");
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kPath, kKeyRead), kRegistrySuccess);
    RegistryValue value;
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("wow")));
}

TEST_F(RegistryKeyTest, ClosingAndMovingReleaseTheHandle) {
    addValue("HKCU", "Program", "REG_SZ", "\"x\"");
    RegistryKey first;
    ASSERT_EQ(first.open(RegistryRoot::CurrentUser, kPath, kKeyRead), kRegistrySuccess);
    RegistryKey second = std::move(first);
    EXPECT_TRUE(second.isOpen());
    EXPECT_FALSE(first.isOpen()); // NOLINT(bugprone-use-after-move): moved-from state is defined
    RegistryValue value;
    EXPECT_EQ(QueryRegistryValue(second, "Program", value), kRegistrySuccess);
    second.close();
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(QueryRegistryValue(second, "Program", value), kRegistryFileNotFound);
}

TEST_F(RegistryKeyTest, ABufferTooSmallReportsTheSizeNeeded) {
    addValue("HKCU", "Program", "REG_SZ", "\"abcdef\"");
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::CurrentUser, kPath, kKeyRead), kRegistrySuccess);
    char buffer[4] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(key.queryValue("Program", &type, buffer, &size), kRegistryMoreData);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(type, kRegSz);
}

struct KeyValueCase {
    const char* name;
    const char* type; // nullptr: the value is not written
    std::string data;
    bool expectedFound;
    std::string expectedText; // keyVal starts as "before"
};

using GetKeyValueTest = RegistryFixture;

TEST_F(GetKeyValueTest, GivesTextNumbersAndFailures) {
    const KeyValueCase cases[] = {
        {"text of five characters", "REG_SZ", "\"abcde\"", true, "abcde"},
        {"number as decimal text", "REG_DWORD", "42", true, "42"},
        {"negative number", "REG_DWORD", "0xffffffff", true, "-1"},
        {"other type keeps the text", "REG_BINARY", "0102", true, "before"},
        {"longest text that fits", "REG_SZ", std::string(1023, 'b'), true, std::string(1023, 'b')},
        {"text longer than the buffer", "REG_SZ", std::string(1024, 'a'), false, ""},
        {"missing value", nullptr, "", false, ""},
    };
    for (const KeyValueCase& c : cases) {
        SCOPED_TRACE(c.name);
        addValue("HKLM", "Other", "REG_SZ", "x");
        if (c.type != nullptr) {
            addValue("HKLM", "PATH", c.type, c.data);
        }
        std::string keyVal = "before";
        EXPECT_EQ(GetKeyValue(RegistryRoot::LocalMachine, kPath, "PATH", keyVal), c.expectedFound);
        EXPECT_EQ(keyVal, c.expectedText);
        removeKeys();
    }
}

TEST_F(GetKeyValueTest, AMissingKeyIsNotFound) {
    std::string keyVal = "before";
    EXPECT_FALSE(GetKeyValue(RegistryRoot::LocalMachine, kPath, "PATH", keyVal));
    EXPECT_EQ(keyVal, "");
}

} // namespace
} // namespace kmission::platform
