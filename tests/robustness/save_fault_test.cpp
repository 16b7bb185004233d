// File > Save on a failing disk: whichever write fails, and however the
// target cannot be written, the user is told why, a mission already on disk
// stays byte for byte what it was and no temporary file is left behind.
// (WriteFileSafely itself is tested in file_io_test.cpp; these tests go
// through SaveMissionFile, the message the user sees and the mission model.)

#include "core_fixtures.h"
#include "mission.h"
#include "mission_save.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kmission {
namespace {

namespace fs = std::filesystem;
using fixtures::ArchiveBuilder;
using fixtures::MissionInfo;
using fixtures::TempDir;
using fixtures::ValueStream;

// A mission large enough to be written in several pieces: entries of many
// values each.
MissionModel LargeMission() {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("Large", {"dunes"}));
    for (int entry = 0; entry < 5; ++entry) {
        ValueStream units;
        units.list(2).text("player_" + std::to_string(entry)).list(8);
        for (int i = 0; i < 7500; ++i) {
            units.integer(i).real(static_cast<float>(i) / 4);
        }
        archive.entry("aiv_units" + std::to_string(entry) + ".prd", units.bytes());
    }
    const MissionLoad load = ReadMission(archive.standard());
    EXPECT_EQ(load.outcome, LoadOutcome::Loaded);
    return load.mission;
}

// A different mission already on disk, so that damage to it shows.
Bytes OldMission() {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", MissionInfo("Old", {"delta"}));
    return archive.standard();
}

std::string NotSaved(const std::string& path, const std::string& reason) {
    return "Not saved: \"" + path + "\" could not be written (" + reason +
           "). The file on disk was left as it was.";
}

// How many writes a save of `mission` takes.
int WritesOfASave(MissionModel mission) {
    TempDir probe;
    int writes = 0;
    const auto count = [&writes](int) {
        ++writes;
        return 0;
    };
    EXPECT_EQ(SaveMissionFile(mission, probe.file("probe.PBD"), count),
              Messages{Message{kSavedMessage}});
    return writes;
}

struct Fault {
    int error;
    const char* label;
};

class FailingWrite : public testing::TestWithParam<Fault> {};

TEST_P(FailingWrite, AtEveryWriteTheMissionOnDiskSurvives) {
    const int error = GetParam().error;
    const MissionModel mission = LargeMission();
    const int writes = WritesOfASave(mission);
    ASSERT_GE(writes, 4) << "the mission should need several writes";

    for (int failing = 1; failing <= writes; ++failing) {
        SCOPED_TRACE("write " + std::to_string(failing) + " of " + std::to_string(writes));
        const auto fail = [failing, error](int n) { return n == failing ? error : 0; };

        TempDir folder;
        const std::string target = folder.write("readermp01.PBD", OldMission());
        MissionModel saving = mission;
        EXPECT_EQ(SaveMissionFile(saving, target, fail),
                  Messages{Message{NotSaved(target, std::strerror(error))}});
        EXPECT_EQ(folder.read("readermp01.PBD"), OldMission());
        EXPECT_EQ(folder.entries(), std::set<std::string>{"readermp01.PBD"});
        // The directory still describes the file that was opened.
        EXPECT_EQ(saving, mission);

        // Nothing at all is left where no file was.
        TempDir empty;
        const std::string fresh = empty.file("readermp02.PBD");
        EXPECT_EQ(SaveMissionFile(saving, fresh, fail),
                  Messages{Message{NotSaved(fresh, std::strerror(error))}});
        EXPECT_TRUE(empty.entries().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, FailingWrite,
                         testing::Values(Fault{ENOSPC, "disk_full"}, Fault{EIO, "io_error"}),
                         [](const testing::TestParamInfo<Fault>& info) {
                             return info.param.label;
                         });

TEST(SaveAfterAFailure, SucceedsOnceTheDiskIsBack) {
    TempDir folder;
    const std::string target = folder.write("readermp01.PBD", OldMission());
    MissionModel mission = LargeMission();
    const auto full = [](int n) { return n == 2 ? ENOSPC : 0; };
    ASSERT_NE(SaveMissionFile(mission, target, full), Messages{Message{kSavedMessage}});

    EXPECT_EQ(SaveMissionFile(mission, target), Messages{Message{kSavedMessage}});
    const Bytes written = folder.read("readermp01.PBD");
    EXPECT_EQ(written, SerializeMission(mission).bytes);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"readermp01.PBD"});
    const MissionLoad again = ReadMission(written);
    ASSERT_EQ(again.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(again.mission.missionEntries, mission.missionEntries);
}

// Runs `save` in a child process, so that it can take limits and an identity
// this test process must keep, and returns the text of the messages it got
// (nothing if the child could not report).
template <typename Save> std::optional<std::string> InChild(Save save) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return std::nullopt;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        const std::string text = save();
        const ssize_t written = ::write(channel[1], text.data(), text.size());
        ::_exit(written == static_cast<ssize_t>(text.size()) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return text;
}

std::string Texts(const Messages& messages) {
    std::string text;
    for (const Message& message : messages) {
        text += message.text + "\n";
    }
    return text;
}

// Not the seam but the kernel: a file-size limit makes a real write fail part
// way through the file (EFBIG).
TEST(RealWriteFailure, FileSizeLimitLeavesTheMissionOnDisk) {
    TempDir folder;
    const std::string target = folder.write("readermp01.PBD", OldMission());
    const auto got = InChild([&target] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        MissionModel mission = LargeMission();
        return Texts(SaveMissionFile(mission, target));
    });
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, NotSaved(target, std::strerror(EFBIG)) + "\n");
    EXPECT_EQ(folder.read("readermp01.PBD"), OldMission());
    EXPECT_EQ(folder.entries(), std::set<std::string>{"readermp01.PBD"});
}

// A save killed part way (as by a power cut) leaves no half-written file
// beside the mission: nothing the user would have to find and delete.
TEST(KilledSave, LeavesNothingBehind) {
    TempDir folder;
    const int unnamed = ::open(folder.path().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (unnamed < 0) {
        GTEST_SKIP() << "this file system cannot make a file without a name";
    }
    ::close(unnamed);
    const std::string target = folder.write("readermp01.PBD", OldMission());
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto die = [](int n) {
            if (n == 3) {
                ::raise(SIGKILL);
            }
            return 0;
        };
        MissionModel mission = LargeMission();
        SaveMissionFile(mission, target, die);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(folder.read("readermp01.PBD"), OldMission());
    EXPECT_EQ(folder.entries(), std::set<std::string>{"readermp01.PBD"});
}

// A folder where no file can take the mission's name: a read-only one, where
// no file can be made beside the mission, and a shared one (sticky, as /tmp),
// where another user's file cannot be replaced. A mission the user may write
// is written in place; anything else is refused with the reason. Root may
// write anywhere, so under root the save runs as the user "nobody".
TEST(UnwritableTarget, FolderThatKeepsItsNames) {
    constexpr fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec;
    constexpr fs::perms shared = fs::perms::all | fs::perms::sticky_bit;
    constexpr fs::perms writable = fs::perms::owner_read | fs::perms::owner_write |
                                   fs::perms::group_read | fs::perms::group_write |
                                   fs::perms::others_read | fs::perms::others_write;
    constexpr fs::perms unwritable =
        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    struct Case {
        const char* name;
        fs::perms folder;
        std::optional<fs::perms> file; // nothing: no file there yet
        bool saved;
        const char* reason;
    };
    const Case cases[] = {
        {"writable file, read-only folder", readOnly, writable, true, nullptr},
        {"writable file, shared folder", shared, writable, true, nullptr},
        {"read-only file, read-only folder", readOnly, unwritable, false,
         "neither the file nor the folder it is in may be written to"},
        {"no file yet, read-only folder", readOnly, std::nullopt, false,
         "the folder it is in may not be written to"},
    };
    const MissionModel mission = LargeMission();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        fs::permissions(folder.path(),
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::create_directory(folder.path() / "locked");
        const std::string target = folder.file("locked/readermp01.PBD");
        std::set<std::string> names;
        if (c.file) {
            folder.write("locked/readermp01.PBD", OldMission());
            fs::permissions(target, *c.file);
            names.insert("readermp01.PBD");
        }
        fs::permissions(folder.path() / "locked", c.folder);
        const auto got = InChild([&target, &mission]() -> std::string {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                return "cannot drop root";
            }
            MissionModel saving = mission;
            return Texts(SaveMissionFile(saving, target));
        });
        fs::permissions(folder.path() / "locked", fs::perms::owner_all);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, (c.saved ? std::string(kSavedMessage) : NotSaved(target, c.reason)) + "\n");
        if (c.file) {
            EXPECT_EQ(folder.read("locked/readermp01.PBD"),
                      c.saved ? SerializeMission(mission).bytes : OldMission());
        }
        EXPECT_EQ(folder.entries("locked"), names);
    }
}

TEST(UnwritableTarget, FolderAsTargetIsReported) {
    TempDir folder;
    fs::create_directory(folder.path() / "readermp01.PBD");
    const std::string inside = folder.write("readermp01.PBD/briefing.txt", OldMission());
    MissionModel mission = LargeMission();
    const MissionModel before = mission;
    const std::string target = folder.file("readermp01.PBD");
    EXPECT_EQ(SaveMissionFile(mission, target),
              Messages{Message{NotSaved(target, "it is a folder")}});
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(folder.read("readermp01.PBD/briefing.txt"), OldMission());
    EXPECT_EQ(folder.entries(), std::set<std::string>{"readermp01.PBD"});
    EXPECT_EQ(mission, before);
}

TEST(UnwritableTarget, MissingFolderIsReported) {
    TempDir folder;
    MissionModel mission = LargeMission();
    const std::string target = folder.file("nowhere/readermp01.PBD");
    EXPECT_EQ(SaveMissionFile(mission, target),
              Messages{Message{NotSaved(target, std::strerror(ENOENT))}});
    EXPECT_TRUE(folder.entries().empty());
}

} // namespace
} // namespace kmission
