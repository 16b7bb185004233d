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
#include <optional>

namespace kmission::test {
namespace {

namespace fs = std::filesystem;

// What is on disk before the save, so that damage to it shows.
const Bytes kOld = {'o', 'l', 'd'};

const rlimit kSmallFiles{100000, 100000}; // with SIGXFSZ ignored: writes fail with EFBIG

WriteFaultInjector FailAt(int write, int error) {
    return [=](int n) { return n == write ? error : 0; };
}

// Saves in a child process that can take limits, be killed part way (as by a
// power cut) and, under root (who may write anywhere), run as "nobody". A
// read-only folder lets no file be made beside the mission, a shared one
// (sticky, as /tmp) lets no other user's file be replaced: a mission the user
// may write is then written in place. The mission, read from an archive with
// a gap, is written in several pieces; only a save that happened moves its
// entries in memory.
TEST(SaveOnAFailingDisk, TellsWhyAndLeavesTheFileOnDiskAsItWas) {
    using P = fs::perms;
    constexpr P readable = P::owner_read | P::group_read | P::others_read;
    constexpr P searchable = readable | P::owner_exec | P::group_exec | P::others_exec;
    constexpr P writable = readable | P::owner_write | P::group_write | P::others_write;
    struct Case {
        const char* name; // of the target in its folder
        P folder;
        std::optional<P> file; // the old file there, if any
        WriteFaultInjector fault;
        std::string told; // the reason it is not saved; nothing when killed
    };
    std::vector<Case> cases = {
        {"m.PBD", searchable, writable, nullptr, kSavedMessage},
        {"m.PBD", P::all | P::sticky_bit, writable, nullptr, kSavedMessage},
        {"m.PBD", searchable, readable, nullptr,
         "neither the file nor the folder it is in may be written to"},
        {"m.PBD", searchable, std::nullopt, nullptr, "the folder it is in may not be written to"},
        {"m.PBD", searchable, writable, FailAt(2, EIO), std::strerror(EIO)},
        {"m.PBD", P::all, writable, [](int) { return ::setrlimit(RLIMIT_FSIZE, &kSmallFiles); },
         std::strerror(EFBIG)},
        {"m.PBD", P::all, writable, [](int n) { return n == 3 ? ::raise(SIGKILL) : 0; }, ""},
        {".", P::all, std::nullopt, nullptr, "it is a folder"},
        {"nowhere/m.PBD", P::all, std::nullopt, nullptr, std::strerror(ENOENT)},
    };
    const Bytes units = fixtures::ValueStream().text(std::string(3 * kWriteChunkSize, 'u')).bytes();
    const MissionModel mission =
        ReadMission(fixtures::ArchiveBuilder()
                        .gap(4)
                        .entry("mpinfo.prd", fixtures::MissionInfo("Large", {"dunes"}))
                        .entry("a.prd", units)
                        .standard())
            .mission;
    const Bytes saved = SerializeMission(mission).bytes;
    for (std::size_t failing = 1; failing <= saved.size() / kWriteChunkSize + 1; ++failing) {
        cases.push_back({"m.PBD", P::all, writable, FailAt(static_cast<int>(failing), ENOSPC),
                         std::strerror(ENOSPC)});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        fixtures::TempDir folder;
        fs::permissions(folder.path(), searchable | P::owner_write);
        fs::create_directory(folder.path() / "in");
        const std::string target = folder.file("in/" + std::string(c.name));
        if (c.file) {
            folder.write("in/m.PBD", kOld);
            fs::permissions(target, *c.file);
        }
        fs::permissions(folder.path() / "in", c.folder);
        const LimitedRun run = RunLimited(folder.path(), [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                return 2;
            }
            MissionModel saving = mission;
            const Messages told = SaveMissionFile(saving, target, c.fault);
            std::printf("%s%s", told.size() == 1 ? told[0].text.c_str() : "?",
                        saving == mission ? "" : " (moved)");
            return 0;
        });
        fs::permissions(folder.path() / "in", P::owner_all);
        const bool done = c.told == kSavedMessage;
        const std::string notSaved = "Not saved: \"" + target + "\" could not be written (" +
                                     c.told + "). The file on disk was left as it was.";
        EXPECT_EQ(run.out, done ? "Saved! (moved)" : c.told.empty() ? "" : notSaved);
        EXPECT_EQ(run.signal, c.told.empty() ? SIGKILL : 0);
        if (c.file) {
            EXPECT_EQ(folder.read("in/m.PBD"), done ? saved : kOld);
        }
        EXPECT_EQ(folder.entries("in"),
                  c.file ? std::set<std::string>{"m.PBD"} : std::set<std::string>{});
    }
}

} // namespace
} // namespace kmission::test
