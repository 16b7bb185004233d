#pragma once

// Runs a function (which may exec a program) in a child process under a memory and a time
// limit, with its standard output and error captured, and reports how it
// ended. A child that needs more memory than the limit cannot get it and ends
// by a signal (std::bad_alloc, or the sanitizer's report); one still running
// at the time limit ends by SIGALRM (an alarm outlives exec).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define KMISSION_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KMISSION_TEST_ASAN 1
#endif
#endif

namespace kmission::test {

inline constexpr std::size_t kMemoryLimitMiB = 256;

struct LimitedRun {
    int exitCode = -1; // -1: it ended by a signal
    int signal = 0;    // the signal that ended it; SIGALRM at the time limit
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
template <typename Body>
LimitedRun RunLimited(const std::filesystem::path& workDir, Body body,
                      std::chrono::seconds time = std::chrono::seconds{10}) {
    std::fflush(nullptr); // nothing of ours is written twice
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open((workDir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open((workDir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(workDir.c_str()) != 0) {
            ::_exit(127);
        }
#ifdef KMISSION_TEST_ASAN
        // The sanitizer reserves far more address space than the limit: it
        // keeps the limit itself, and ends the run by a signal for anything
        // it reports.
        const std::string mib = std::to_string(kMemoryLimitMiB);
        ::setenv("ASAN_OPTIONS",
                 ("abort_on_error=1:detect_leaks=1:quarantine_size_mb=16:hard_rss_limit_mb=" + mib +
                  ":max_allocation_size_mb=" + mib + ":allocator_may_return_null=0")
                     .c_str(),
                 1);
        ::setenv("UBSAN_OPTIONS", "abort_on_error=1:print_stacktrace=1", 1);
#else
        const rlimit memory{kMemoryLimitMiB << 20, kMemoryLimitMiB << 20};
        ::setrlimit(RLIMIT_AS, &memory);
#endif
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::alarm(static_cast<unsigned>(time.count()));
        const int code = body();
        std::fflush(nullptr);
        ::_exit(code);
    }
    LimitedRun run;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid) {
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    run.out = FileText(workDir / "stdout");
    run.err = FileText(workDir / "stderr");
    return run;
}

} // namespace kmission::test
