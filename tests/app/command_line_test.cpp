// The editor's command line: a mission to open, --help, --version, and the
// usage for anything else, read in-process and by the real program.
#include "command_line.h"
#include "process_run.h"

#include <gtest/gtest.h>

#include <QDir>

namespace kmission::test {
namespace {

TEST(CommandLineTest, ArgumentsSayWhatToDo) {
    struct Case {
        QStringList arguments;
        int exitCode; // -1: the editor starts
        const char* outputHas;
        QString missionPath; // relative paths are taken from the current folder
    };
    const Case cases[] = {
        {{}, -1, "", ""},
        {{"/games/pbd/readermp01.PBD"}, -1, "", "/games/pbd/readermp01.PBD"},
        {{"pbd/readermp01.PBD"}, -1, "", QDir::currentPath() + "/pbd/readermp01.PBD"},
        {{"--help"}, 0, "[mission]", ""},
        {{"--version"}, 0, "kmission 9.8.7", ""},
        {{"--frobnicate"}, 2, "frobnicate", ""},
        {{"a.PBD", "b.PBD"}, 2, "Only one mission can be opened.", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const StartRequest request =
            ParseCommandLine(QStringList{"kmission"} + c.arguments, "9.8.7");
        EXPECT_EQ(request.startEditor, c.exitCode < 0);
        EXPECT_EQ(request.exitCode, std::max(c.exitCode, 0));
        EXPECT_EQ(request.outputIsError, c.exitCode == 2);
        EXPECT_TRUE(request.output.contains(c.outputHas)) << request.output.toStdString();
        EXPECT_EQ(request.missionPath, c.missionPath);
    }
}

TEST(CommandLineTest, TheProgramPrintsAndEndsWithoutADisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(name);
    }
    const std::tuple<const char*, int, const char*, const char*> cases[] = {
        {"--help", 0, "Usage: kmission", ""},
        {"--version", 0, "kmission 0.5.1", ""},
        {"--nonsense", 2, "", "Usage: kmission"},
    };
    for (const auto& [argument, exitCode, out, err] : cases) {
        SCOPED_TRACE(argument);
        const ProcessResult run = RunProgram(KMISSION_PROGRAM, {argument}, environment);
        EXPECT_EQ(run.exitCode, exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(out)) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(err)) << run.err.toStdString();
    }
}

} // namespace
} // namespace kmission::test
