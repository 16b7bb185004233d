// The registry layer on Windows (run under Wine by scripts/windows-check.sh):
// values are written with the system's own "reg" program and read back through
// RegistryKey, QueryRegistryValue and GetKeyValue.
#include "registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace kmission::platform {
namespace {

constexpr const char* kPath = "Software\\KMission Windows Check";

// Runs reg.exe with `arguments`; its exit code, -1 when it does not start.
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

// The value `name` of the test's key under `root` ("HKCU", "HKLM"); `data` is
// reg's /d argument, quotes and escapes included.
void AddValue(const std::string& root, const std::string& name, const char* type,
              const std::string& data, const char* view = "") {
    const std::string arguments = "add \"" + root + "\\" + kPath + "\" /v \"" + name + "\" /t " +
                                  type + " /d " + data + " /f" + view;
    ASSERT_EQ(RunReg(arguments), 0) << arguments;
}

// The test's key is removed from both roots and both views around each test.
class RegistryWindowsTest : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        for (const char* where : {"HKCU\\", "HKLM\\"}) {
            for (const char* view : {" /reg:64", " /reg:32"}) {
                RunReg("delete \"" + std::string(where) + kPath + "\" /f" + view);
            }
        }
    }
};

TEST_F(RegistryWindowsTest, QueryRegistryValueReadsWhatRegWrote) {
    const RegistryValue before = std::string("before");
    const struct {
        const char* name;
        const char* type; // nullptr: not written
        std::string data;
        std::int32_t result;
        RegistryValue value;
    } cases[] = {
        {"text", "REG_SZ", "\"C:\\Games\\K 3\\\\\"", kRegistrySuccess,
         std::string("C:\\Games\\K 3\\")},
        {"empty", "REG_SZ", "\"\"", kRegistrySuccess, std::string()},
        {"number", "REG_DWORD", "0xfffffffe", kRegistrySuccess, std::int32_t{-2}},
        {"expandable", "REG_EXPAND_SZ", "\"%SystemRoot%\"", -1, before},
        {"binary", "REG_BINARY", "0102", -1, before},
        {"missing", nullptr, "", kRegistryFileNotFound, before},
    };
    for (const auto& c : cases) {
        if (c.type != nullptr) {
            AddValue("HKCU", c.name, c.type, c.data);
        }
    }
    RegistryKey key;
    ASSERT_EQ(key.open(RegistryRoot::CurrentUser, kPath, kKeyRead), kRegistrySuccess);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryValue value = before;
        EXPECT_EQ(QueryRegistryValue(key, c.name, value), c.result);
        EXPECT_EQ(value, c.value);
    }
}

// The game's installer is a 32-bit program.
TEST_F(RegistryWindowsTest, KeysOpenInThe32BitViewFirstThenInThe64Bit) {
    RegistryKey key;
    RegistryValue value = std::string("kept");
    EXPECT_EQ(key.open(RegistryRoot::LocalMachine, kPath, kKeyRead), kRegistryFileNotFound);
    EXPECT_FALSE(key.isOpen());
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistryFileNotFound);
    for (const auto& [view, expected] :
         {std::pair{" /reg:64", "native"}, std::pair{" /reg:32", "wow"}}) {
        AddValue("HKLM", "Program", "REG_SZ", std::string("\"") + expected + "\"", view);
        ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kPath, kKeyRead), kRegistrySuccess);
        EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistrySuccess);
        EXPECT_EQ(value, RegistryValue(std::string(expected)));
    }
    RegistryKey moved = std::move(key);
    EXPECT_FALSE(key.isOpen()); // NOLINT(bugprone-use-after-move): moved-from state is defined
    moved.close();
    EXPECT_FALSE(moved.isOpen());
    EXPECT_EQ(QueryRegistryValue(moved, "Program", value), kRegistryFileNotFound);
}

TEST_F(RegistryWindowsTest, GetKeyValueGivesTextNumbersAndFailures) {
    std::string text = "before";
    EXPECT_FALSE(GetKeyValue(RegistryRoot::LocalMachine, kPath, "PATH", text)) << "no key";
    EXPECT_EQ(text, "");
    const struct {
        const char* name;
        const char* type; // nullptr: not written
        std::string data;
        bool found;
        std::string text; // it starts as "before"
    } cases[] = {
        {"text", "REG_SZ", "\"abcde\"", true, "abcde"},
        {"number", "REG_DWORD", "0xffffffff", true, "-1"},
        {"binary", "REG_BINARY", "0102", true, "before"},
        {"longest", "REG_SZ", std::string(1023, 'b'), true, std::string(1023, 'b')},
        {"too long", "REG_SZ", std::string(1024, 'a'), false, ""},
        {"missing", nullptr, "", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.type != nullptr) {
            AddValue("HKLM", c.name, c.type, c.data);
        }
        text = "before";
        EXPECT_EQ(GetKeyValue(RegistryRoot::LocalMachine, kPath, c.name, text), c.found);
        EXPECT_EQ(text, c.text);
    }
}

} // namespace
} // namespace kmission::platform
