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
    return ReadMission(
               archive.entry("a.prd", units.bytes()).entry("b.prd", units.bytes()).standard())
        .mission;
}

// What is on disk before the save, so that damage to it shows.
const Bytes kOld = {'o', 'l', 'd'};

std::string NotSaved(const std::string& path, const std::string& reason) {
    return "Not saved: \"" + path + "\" could not be written (" + reason +
           "). The file on disk was left as it was.";
}

TEST(SaveOnAFailingDisk, AnyFailingWriteLeavesTheMissionOnDisk) {
    const MissionModel mission = LargeMission();
    const auto size = SerializeMission(mission).bytes.size();
    const auto writes = static_cast<int>((size + kWriteChunkSize - 1) / kWriteChunkSize);
    ASSERT_GE(writes, 4);
    TempDir folder;
    const std::string target = folder.write("m.PBD", kOld);
    for (int error : {ENOSPC, EIO}) {
        for (int failing = 1; failing <= writes; ++failing) {
            SCOPED_TRACE(std::string(std::strerror(error)) + " at write " +
                         std::to_string(failing));
            MissionModel saving = mission;
            EXPECT_EQ(
                SaveMissionFile(saving, target, [&](int n) { return n == failing ? error : 0; }),
                Messages{Message{NotSaved(target, std::strerror(error))}});
            EXPECT_EQ(folder.read("m.PBD"), kOld);
            EXPECT_EQ(folder.entries(), Names{"m.PBD"});
            EXPECT_EQ(saving, mission); // the directory still describes the file opened
        }
    }
}

// Saves in a child process that can take limits, be killed part way (as by a
// power cut) and, under root (who may write anywhere), run as "nobody". A
// read-only folder lets no file be made beside the mission, a shared one
// (sticky, as /tmp) lets no other user's file be replaced: a mission the user
// may write is then written in place.
TEST(SaveOnAFailingDisk, FoldersFilesLimitsAndKilledSaves) {
    using P = fs::perms;
    constexpr P readable = P::owner_read | P::group_read | P::others_read;
    constexpr P searchable = readable | P::owner_exec | P::group_exec | P::others_exec;
    constexpr P writable = readable | P::owner_write | P::group_write | P::others_write;
    struct Case {
        const char* name; // of the target in its folder
        P folder;
        std::optional<P> file; // the old mission there, if any
        int (*fault)(int write);
        const char* told; // the reason the mission is not saved; nothing when killed
    };
    const Case cases[] = {
        {"m.PBD", searchable, writable, nullptr, kSavedMessage},
        {"m.PBD", P::all | P::sticky_bit, writable, nullptr, kSavedMessage},
        {"m.PBD", searchable, readable, nullptr,
         "neither the file nor the folder it is in may be written to"},
        {"m.PBD", searchable, {}, nullptr, "the folder it is in may not be written to"},
        {"m.PBD", searchable, writable, [](int n) { return n == 2 ? ENOSPC : 0; },
         std::strerror(ENOSPC)},
        {"m.PBD", P::all, writable,
         [](int) {
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{100000, 100000};
             return ::setrlimit(RLIMIT_FSIZE, &limit);
         },
         std::strerror(EFBIG)},
        {"m.PBD", P::all, writable, [](int n) { return n == 3 ? ::raise(SIGKILL) : 0; }, ""},
        {".", P::all, {}, nullptr, "it is a folder"},
        {"nowhere/m.PBD", P::all, {}, nullptr, std::strerror(ENOENT)},
    };
    const MissionModel mission = LargeMission();
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
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                return 2;
            }
            MissionModel saving = mission;
            const Messages told = SaveMissionFile(saving, target, c.fault);
            std::fputs(told.size() == 1 ? told[0].text.c_str() : "?", stdout);
            return 0;
        });
        fs::permissions(folder.path() / "in", P::owner_all);
        const bool saved = c.told == std::string(kSavedMessage);
        EXPECT_EQ(run.out, saved || !*c.told ? c.told : NotSaved(target, c.told));
        EXPECT_EQ(run.signal, *c.told ? 0 : SIGKILL);
        if (c.file) {
            EXPECT_EQ(folder.read("in/m.PBD"), saved ? SerializeMission(mission).bytes : kOld);
        }
        EXPECT_EQ(folder.entries("in"), c.file ? Names{"m.PBD"} : Names{});
    }
}

} // namespace
} // namespace kmission::test
