// Peak resident memory of opening a mission, in a process of its own so that
// nothing else it did counts:
//   kmission_peak_memory --write FILE [--tiny]  writes the seeded mission
//   kmission_peak_memory FILE [OUT]              opens it as File > Open does
// and prints (or writes to OUT), as one JSON object, the file's size, the
// process's peak resident size before the open and its peak while the
// mission is open.
//   kmission_peak_memory --peak-of OUT NAME PROGRAM [ARGUMENTS...]
// runs a program, its output thrown away, and writes its peak resident size
// in bytes to OUT as {"NAME": bytes}; it fails when the program does.

#include "file_io.h"
#include "mission.h"
#include "synthetic_mission.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

long long PeakResidentBytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<long long>(usage.ru_maxrss) * 1024; // kilobytes on Linux
}

int PeakOf(const char* outPath, const char* name, char** command) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int nothing = ::open("/dev/null", O_WRONLY);
        ::dup2(nothing, STDOUT_FILENO);
        ::dup2(nothing, STDERR_FILENO);
        ::execv(command[0], command);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not run to its end\n", command[0]);
        return 1;
    }
    std::FILE* out = std::fopen(outPath, "w");
    if (out == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", outPath);
        return 1;
    }
    std::fprintf(out, "{\"%s\": %lld}\n", name, static_cast<long long>(usage.ru_maxrss) * 1024);
    return std::fclose(out) == 0 ? 0 : 1;
}

int Write(const char* path, bool tiny) {
    using namespace kmission::bench;
    const kmission::Bytes bytes = GenerateMission(tiny ? TinySpec() : FullSpec());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    return 0;
}

int Open(const char* path, const char* outPath) {
    std::error_code error;
    const auto fileBytes = std::filesystem::file_size(path, error);
    if (error) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    const long long before = PeakResidentBytes();
    const kmission::MissionLoad load = kmission::LoadMissionFile(path);
    if (load.outcome != kmission::LoadOutcome::Loaded) {
        std::fprintf(stderr, "%s does not open as a mission\n", path);
        return 1;
    }
    const long long peak = PeakResidentBytes();
    std::FILE* out = outPath != nullptr ? std::fopen(outPath, "w") : stdout;
    if (out == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", outPath);
        return 1;
    }
    std::fprintf(out,
                 "{\"file_bytes\": %llu, \"baseline_rss_bytes\": %lld, \"peak_rss_bytes\": %lld, "
                 "\"entries\": %d}\n",
                 static_cast<unsigned long long>(fileBytes), before, peak,
                 load.mission.missionEntryCount());
    return out == stdout || std::fclose(out) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--peak-of") == 0) {
        return PeakOf(argv[2], argv[3], argv + 4);
    }
    if (argc >= 3 && std::strcmp(argv[1], "--write") == 0) {
        return Write(argv[2], argc >= 4 && std::strcmp(argv[3], "--tiny") == 0);
    }
    if (argc == 2 || argc == 3) {
        return Open(argv[1], argc == 3 ? argv[2] : nullptr);
    }
    std::fprintf(stderr,
                 "usage: %s --write FILE [--tiny] | FILE [OUT] | --peak-of OUT NAME PROGRAM...\n",
                 argv[0]);
    return 2;
}
