// File > Save on a failing disk: whichever write fails, and however the
// target cannot be written, the user is told why, a mission already on disk
// stays byte for byte what it was and no temporary file is left beside it.

#include "core_fixtures.h"
#include "file_io.h"
#include "limited_process.h"
#include "mission_save.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <tuple>

namespace kmission::test {
namespace {

namespace fs = std::filesystem;

// What is on disk before the save, so that damage to it shows.
const Bytes kOld = {'o', 'l', 'd'};

// With SIGXFSZ ignored, writes beyond this size fail with EFBIG.
const rlimit kSmallFiles{100000, 100000};

// Saves in a child process that can take limits, be killed part way (as by a
// power cut) and, under root (who may write anywhere), run as "nobody". A
// read-only folder lets no file be made beside the mission, a shared one
// (sticky, as /tmp) lets no other user's file be replaced: a mission the user
// may write is then written in place. The mission, read from an archive with
// a gap, is written in several pieces; only a save that happened moves its
// entries in memory. A case: the folder's mode, the mode of the old file there
// (none: no file), the fault, and the reason the user is told (nothing when
// killed). Which write fails, and targets that are no file, are the file
// writing's own cases.
TEST(SaveOnAFailingDisk, TellsWhyAndLeavesTheFileOnDiskAsItWas) {
    using P = fs::perms;
    const std::tuple<P, P, WriteFaultInjector, std::string> cases[] = {
        {P{0555}, P{0666}, nullptr, kSavedMessage},
        {P{01777}, P{0666}, nullptr, kSavedMessage},
        {P{0555}, P{0444}, nullptr, "neither the file nor the folder it is in may be written to"},
        {P{0555}, P::none, nullptr, "the folder it is in may not be written to"},
        {P{0555}, P{0666}, [](int n) { return n == 2 ? EIO : 0; }, std::strerror(EIO)},
        {P{0777}, P{0666}, [](int) { return ::setrlimit(RLIMIT_FSIZE, &kSmallFiles); },
         std::strerror(EFBIG)},
        {P{0777}, P{0666}, [](int n) { return n == 3 ? ::raise(SIGKILL) : 0; }, ""},
    };
    fixtures::ArchiveBuilder archive;
    archive.gap(4).entry("mpinfo.prd",
                         fixtures::MissionInfo(std::string(3 * kWriteChunkSize, 'u'), {}));
    const MissionModel mission = ReadMission(archive.standard()).mission;
    for (const auto& [folderMode, fileMode, fault, told] : cases) {
        SCOPED_TRACE(told);
        fixtures::TempDir folder;
        fs::permissions(folder.path(), P{0755});
        fs::create_directory(folder.path() / "in");
        const std::string target = folder.file("in/m.PBD");
        if (fileMode != P::none) {
            folder.write("in/m.PBD", kOld);
            fs::permissions(target, fileMode);
        }
        fs::permissions(folder.path() / "in", folderMode);
        const LimitedRun run = RunLimited(folder.path(), [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                return 2;
            }
            MissionModel saving = mission;
            const Messages messages = SaveMissionFile(saving, target, fault);
            std::printf("%s%s", messages.at(0).text.c_str(), saving == mission ? "" : " (moved)");
            return 0;
        });
        fs::permissions(folder.path() / "in", P::owner_all);
        const bool done = told == kSavedMessage;
        const std::string notSaved = "Not saved: \"" + target + "\" could not be written (" + told +
                                     "). The file on disk was left as it was.";
        EXPECT_EQ(run.out, done ? "Saved! (moved)" : told.empty() ? "" : notSaved);
        EXPECT_EQ(run.exitCode, told.empty() ? -SIGKILL : 0);
        const Bytes old = fileMode == P::none ? Bytes{} : kOld;
        EXPECT_EQ(folder.read("in/m.PBD"), done ? SerializeMission(mission).bytes : old);
        EXPECT_EQ(folder.entries("in").size(), fileMode == P::none ? 0U : 1U); // no temporary file
    }
}

} // namespace
} // namespace kmission::test
