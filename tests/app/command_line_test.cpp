// The editor's command line: a mission to open, or the one usage error only
// the parser sees; --help, --version and other options as the real program
// answers them.
#include "command_line.h"
#include "process_run.h"

#include <gtest/gtest.h>

namespace kmission::test {
namespace {

TEST(CommandLineTest, ArgumentsSayWhatToDoAndTheProgramNeedsNoDisplay) {
    const std::tuple<QStringList, int, QString> cases[] = {
        {{}, -1, ""},
        {{"/games/pbd/readermp01.PBD"}, -1, "/games/pbd/readermp01.PBD"},
        {{"a.PBD", "b.PBD"}, 2, ""},
    };
    for (const auto& [arguments, exitCode, missionPath] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const StartRequest request = ParseCommandLine(QStringList{"kmission"} + arguments, "9");
        EXPECT_EQ(request.startEditor, exitCode < 0);
        EXPECT_EQ(request.exitCode, std::max(exitCode, 0));
        EXPECT_EQ(request.outputIsError, exitCode == 2);
        EXPECT_EQ(request.output.startsWith("Only one mission can be opened."), exitCode == 2);
        EXPECT_EQ(request.missionPath, missionPath);
    }
    // The real program, without a display.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(name);
    }
    const std::tuple<const char*, int, const char*, const char*> runs[] = {
        {"--help", 0, "Usage: kmission [options] [mission]", ""},
        {"--version", 0, "kmission 0.5.1\n", ""},
        {"--nonsense", 2, "", "Usage: kmission"},
    };
    for (const auto& [argument, exitCode, out, err] : runs) {
        SCOPED_TRACE(argument);
        const ProcessResult run = RunProgram(KMISSION_PROGRAM, {argument}, environment);
        EXPECT_EQ(run.exitCode, exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(out)) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(err)) << run.err.toStdString();
    }
}

} // namespace
} // namespace kmission::test
