// The registry layer on Windows (run under Wine by scripts/windows-check.sh):
// values written with the system's own "reg" program and read back. What the
// layer decides itself: the 32-bit view first, the 64-bit one as fallback, and
// GetKeyValue's buffer of 1024 bytes.
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

TEST(RegistryWindowsTest, KeysOpenInThe32BitViewFirstAndGetKeyValueFitsItsBuffer) {
    for (const char* view : {" /reg:64", " /reg:32"}) {
        RunReg(std::string("delete \"HKLM\\") + kPath + "\" /f" + view);
    }
    std::string text = "before";
    EXPECT_FALSE(GetKeyValue(RegistryRoot::LocalMachine, kPath, "Program", text)) << "no key";
    EXPECT_EQ(text, "");
    const std::tuple<const char*, const char*, std::string, bool, std::string> cases[] = {
        // view written to, value, its text (empty: not written), found, text read
        {" /reg:64", "Program", "\"native\"", true, "native"},
        {" /reg:32", "Program", "\"wow\"", true, "wow"},
        {" /reg:32", "Longest", std::string(1023, 'b'), true, std::string(1023, 'b')},
        {" /reg:32", "TooLong", std::string(1024, 'a'), false, ""},
        {" /reg:32", "Missing", "", false, ""},
    };
    for (const auto& [view, name, data, found, expected] : cases) {
        SCOPED_TRACE(name);
        if (!data.empty()) {
            const std::string arguments = std::string("add \"HKLM\\") + kPath + "\" /v " + name +
                                          " /t REG_SZ /d " + data + " /f" + view;
            ASSERT_EQ(RunReg(arguments), 0) << arguments;
        }
        text = "before";
        EXPECT_EQ(GetKeyValue(RegistryRoot::LocalMachine, kPath, name, text), found);
        EXPECT_EQ(text, expected);
    }
    RegistryKey key;
    RegistryValue value;
    ASSERT_EQ(key.open(RegistryRoot::LocalMachine, kPath, kKeyRead), kRegistrySuccess);
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistrySuccess);
    EXPECT_EQ(value, RegistryValue(std::string("wow")));
    key.close();
    EXPECT_EQ(QueryRegistryValue(key, "Program", value), kRegistryFileNotFound);
}

} // namespace
} // namespace kmission::platform
