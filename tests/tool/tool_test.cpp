#include "tool_process.h"

#include <gtest/gtest.h>

namespace kmission::test {
namespace {

const std::vector<std::string> kCommands{"dump", "pack", "env",    "set",     "units",
                                         "diff", "maps", "resave", "picture", "make-demo"};

TEST(Tool, RefusesBadCommandLinesWithUsage) {
    const std::vector<std::vector<std::string>> lines{
        {},
        {"frobnicate"},
        {"dump"},
        {"dump", "a.PBD", "b.PBD"},
        {"dump", "--frobnicate", "a.PBD"},
        {"resave", "in.PBD"},
        {"pack", "in.json"},
        {"set", "--name", "x"},
        {"diff", "a.PBD"},
        {"picture", "rimage.pbd", "dunes"},
        {"make-demo"},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line.empty() ? "(nothing)" : line[0] + " ... " + std::to_string(line.size()));
        const ToolRun run = RunTool(line);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("Usage: kmission-tool"), std::string::npos) << run.err;
    }
}

TEST(Tool, HelpListsEveryCommand) {
    const ToolRun run = RunTool({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    for (const std::string& command : kCommands) {
        EXPECT_NE(run.out.find("\n  " + command + " "), std::string::npos) << command;
    }
}

TEST(Tool, EveryCommandHasHelp) {
    for (const std::string& command : kCommands) {
        SCOPED_TRACE(command);
        const ToolRun run = RunTool({command, "--help"});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(run.out.starts_with("Usage: kmission-tool " + command + " ")) << run.out;
    }
}

} // namespace
} // namespace kmission::test
