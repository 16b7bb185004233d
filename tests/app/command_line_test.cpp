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
        const char* name;
        QStringList arguments;
        bool startEditor;
        int exitCode;
        bool outputIsError;
        const char* outputHas;
        QString missionPath;
    };
    const QString here = QDir::currentPath();
    const std::vector<Case> cases = {
        {"none", {}, true, 0, false, "", {}},
        {"absolute_mission",
         {"/games/pbd/readermp01.PBD"},
         true,
         0,
         false,
         "",
         "/games/pbd/readermp01.PBD"},
        {"relative_mission",
         {"pbd/readermp01.PBD"},
         true,
         0,
         false,
         "",
         here + "/pbd/readermp01.PBD"},
        {"help", {"--help"}, false, 0, false, "[mission]", {}},
        {"version", {"--version"}, false, 0, false, "kmission 9.8.7", {}},
        {"unknown_option", {"--frobnicate"}, false, 2, true, "frobnicate", {}},
        {"two_missions", {"a.PBD", "b.PBD"}, false, 2, true, "[mission]", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StartRequest request =
            ParseCommandLine(QStringList{"kmission"} + c.arguments, "9.8.7");
        EXPECT_EQ(request.startEditor, c.startEditor);
        EXPECT_EQ(request.exitCode, c.exitCode);
        EXPECT_EQ(request.outputIsError, c.outputIsError);
        EXPECT_TRUE(request.output.contains(c.outputHas)) << request.output.toStdString();
        EXPECT_EQ(request.missionPath, c.missionPath);
    }
}

TEST(CommandLineTest, TheProgramPrintsAndEndsWithoutADisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    struct Case {
        const char* argument;
        int exitCode;
        const char* stdoutHas;
        const char* stderrHas;
    };
    for (const Case& c :
         {Case{"--help", 0, "Usage: kmission", ""}, Case{"--version", 0, "kmission 0.5.1", ""},
          Case{"--nonsense", 2, "", "Usage: kmission"}}) {
        SCOPED_TRACE(c.argument);
        const ProcessResult run = RunProgram(KMISSION_PROGRAM, {c.argument}, environment);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(c.stdoutHas)) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(c.stderrHas)) << run.err.toStdString();
    }
}

} // namespace
} // namespace kmission::test
