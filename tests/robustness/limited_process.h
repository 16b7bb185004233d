#pragma once

// Runs a function (which may exec a program) in a child process under a
// memory and a time limit, with its standard output and error captured, and
// reports how it ended. A child that needs more memory than the limit cannot
// get it and ends by a signal (std::bad_alloc, or the sanitizer's report); one
// still running at the time limit ends by SIGALRM (an alarm outlives exec).

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kmission::test {

struct LimitedRun {
    int exitCode; // minus the signal that ended it (-SIGALRM at the time limit); -1000: not run
    std::string out;
    std::string err;
};

inline std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs `body` in a child working in `workDir`, where its standard output and
// error go to the files "stdout" and "stderr"; what `body` returns is the
// child's exit code.
template <typename Body> LimitedRun RunLimited(const std::filesystem::path& workDir, Body body) {
    std::fflush(nullptr); // nothing of ours is written twice
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!std::freopen((workDir / "stdout").c_str(), "w", stdout) ||
            !std::freopen((workDir / "stderr").c_str(), "w", stderr) || ::chdir(workDir.c_str())) {
            ::_exit(127);
        }
#ifdef KMISSION_TEST_ASAN // the sanitizer reserves far more address space: it keeps the limit
        ::setenv("ASAN_OPTIONS",
                 "abort_on_error=1:hard_rss_limit_mb=256:quarantine_size_mb=16:"
                 "max_allocation_size_mb=256",
                 1);
        ::setenv("UBSAN_OPTIONS", "abort_on_error=1:print_stacktrace=1", 1);
#else
        const rlimit memory{256 << 20, 256 << 20};
        ::setrlimit(RLIMIT_AS, &memory);
#endif
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::alarm(10);
        const int code = body();
        std::fflush(nullptr);
        ::_exit(code);
    }
    int status = 0;
    const bool ended = pid > 0 && ::waitpid(pid, &status, 0) == pid;
    const int code = !ended ? -1000 : WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return {code, FileText(workDir / "stdout"), FileText(workDir / "stderr")};
}

} // namespace kmission::test
