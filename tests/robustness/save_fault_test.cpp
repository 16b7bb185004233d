// File > Save on a failing disk: whichever write fails, and however the
// target cannot be written, the user is told why, a mission already on disk
// stays byte for byte what it was and no temporary file is left beside it.

#include "core_fixtures.h"
#include "limited_process.h"
#include "mission_save.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <set>

namespace kmission::test {
namespace {

namespace fs = std::filesystem;
using fixtures::TempDir;
using Names = std::set<std::string>;

// A mission written in several pieces, read from an archive with a gap, so
// that a save moves its entries.
MissionModel LargeMission() {
    fixtures::ArchiveBuilder archive;
    archive.gap(4).entry("mpinfo.prd", fixtures::MissionInfo("Large", {"dunes"}));
    fixtures::ValueStream units;
    for (int i = 0; i < 15000; ++i) {
        units.integer(i).real(static_cast<float>(i) / 4);
    }
    archive.entry("a.prd", units.bytes()).entry("b.prd", units.bytes());
    return ReadMission(archive.standard()).mission;
}

// What is on disk before the save, so that damage to it shows.
const Bytes kOld = {'o', 'l', 'd'};

const rlimit kSmallFiles{100000, 100000}; // with SIGXFSZ ignored: writes fail with EFBIG

// Saves in a child process that can take limits, be killed part way (as by a
// power cut) and, under root (who may write anywhere), run as "nobody". A
// read-only folder lets no file be made beside the mission, a shared one
// (sticky, as /tmp) lets no other user's file be replaced: a mission the user
// may write is then written in place. Only a save that happened moves the
// entries of the mission in memory.
TEST(SaveOnAFailingDisk, TellsWhyAndLeavesTheFileOnDiskAsItWas) {
    using P = fs::perms;
    constexpr P readable = P::owner_read | P::group_read | P::others_read;
    constexpr P searchable = readable | P::owner_exec | P::group_exec | P::others_exec;
    constexpr P writable = readable | P::owner_write | P::group_write | P::others_write;
    struct Case {
        const char* name; // of the target in its folder
        P folder;
        std::optional<P> file; // the old file there, if any
        std::function<int(int write)> fault;
        std::string told; // the reason it is not saved; nothing when killed
    };
    std::vector<Case> cases = {
        {"m.PBD", searchable, writable, nullptr, kSavedMessage},
        {"m.PBD", P::all | P::sticky_bit, writable, nullptr, kSavedMessage},
        {"m.PBD", searchable, readable, nullptr,
         "neither the file nor the folder it is in may be written to"},
        {"m.PBD", searchable, std::nullopt, nullptr, "the folder it is in may not be written to"},
        {"m.PBD", searchable, writable, [](int n) { return n == 2 ? ENOSPC : 0; },
         std::strerror(ENOSPC)},
        {"m.PBD", P::all, writable, [](int) { return ::setrlimit(RLIMIT_FSIZE, &kSmallFiles); },
         std::strerror(EFBIG)},
        {"m.PBD", P::all, writable, [](int n) { return n == 3 ? ::raise(SIGKILL) : 0; }, ""},
        {".", P::all, std::nullopt, nullptr, "it is a folder"},
        {"nowhere/m.PBD", P::all, std::nullopt, nullptr, std::strerror(ENOENT)},
    };
    const MissionModel mission = LargeMission();
    const std::size_t size = SerializeMission(mission).bytes.size();
    const auto writes = static_cast<int>((size + kWriteChunkSize - 1) / kWriteChunkSize);
    ASSERT_GE(writes, 4);
    for (int error : {ENOSPC, EIO}) {
        for (int failing = 1; failing <= writes; ++failing) {
            cases.push_back({"m.PBD", P::all, writable,
                             [=](int n) { return n == failing ? error : 0; },
                             std::strerror(error)});
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        TempDir folder;
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
        const bool saved = c.told == kSavedMessage;
        const std::string notSaved = "Not saved: \"" + target + "\" could not be written (" +
                                     c.told + "). The file on disk was left as it was.";
        EXPECT_EQ(run.out, saved ? "Saved! (moved)" : c.told.empty() ? "" : notSaved);
        EXPECT_EQ(run.signal, c.told.empty() ? SIGKILL : 0);
        if (c.file) {
            EXPECT_EQ(folder.read("in/m.PBD"), saved ? SerializeMission(mission).bytes : kOld);
        }
        EXPECT_EQ(folder.entries("in"), c.file ? Names{"m.PBD"} : Names{});
    }
}

} // namespace
} // namespace kmission::test
