#pragma once

// Runs a program as a separate process under a memory and a time limit, with
// its standard output and error captured in files, and reports how it ended:
// by exiting (with which code) or by a signal. A program that needs more
// memory than the limit cannot get it and ends by a signal (std::bad_alloc,
// or the sanitizer's report), so the limit shows in how the run ended. (The
// peak resident size the kernel reports for a child is no measure: it keeps
// the size of the forked copy of this process from before the exec.)

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

#if defined(__SANITIZE_ADDRESS__)
#define KMISSION_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KMISSION_TEST_ASAN 1
#endif
#endif

namespace kmission::test {

inline constexpr std::size_t kMemoryLimitBytes = std::size_t{256} << 20;

struct Limits {
    std::size_t memoryBytes = kMemoryLimitBytes;
    std::chrono::seconds time{30};
};

struct LimitedRun {
    bool started = false;
    bool exited = false;   // false: ended by a signal, or killed at the time limit
    int exitCode = -1;     // when `exited`
    int signal = 0;        // the signal that ended it, when not `exited`
    bool timedOut = false; // killed because it was still running at the time limit
    std::string out;
    std::string err;

    std::vector<std::string> errLines() const {
        std::vector<std::string> lines;
        std::istringstream in(err);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
};

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace detail {

// The environment of the child: ours, and under AddressSanitizer the options
// that take the place of the address-space limit (the sanitizer reserves far
// more address space than any limit would allow): a resident-memory limit, no
// single allocation above the limit, and an abort, never a plain exit code,
// for anything a sanitizer reports. The sanitizer's quarantine of freed
// memory is kept small, so that what is measured is what the program holds.
inline std::vector<std::string> ChildEnvironment(const Limits& limits) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
#ifdef KMISSION_TEST_ASAN
    const std::string mib = std::to_string(limits.memoryBytes >> 20);
    env.push_back("ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:quarantine_size_mb=16:"
                  "hard_rss_limit_mb=" +
                  mib + ":max_allocation_size_mb=" + mib + ":allocator_may_return_null=0");
    env.push_back("UBSAN_OPTIONS=abort_on_error=1:print_stacktrace=1");
#else
    (void)limits;
#endif
    return env;
}

inline std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace detail

// Runs `program` with `arguments` in `workDir` (which receives the files
// "stdout" and "stderr"). The child gets the memory limit as its address-space
// limit (except under AddressSanitizer, see above), the time limit as its CPU
// limit, and is killed if it is still running after the time limit.
inline LimitedRun RunLimited(const std::string& program, const std::vector<std::string>& arguments,
                             const std::filesystem::path& workDir, const Limits& limits = {}) {
    LimitedRun run;
    const std::string outPath = (workDir / "stdout").string();
    const std::string errPath = (workDir / "stderr").string();
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> argp = detail::Pointers(argv);
    std::vector<std::string> env = detail::ChildEnvironment(limits);
    std::vector<char*> envp = detail::Pointers(env);
    const auto seconds = static_cast<rlim_t>(limits.time.count());

    const pid_t pid = ::fork();
    if (pid < 0) {
        return run;
    }
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) {
            ::_exit(127);
        }
#ifndef KMISSION_TEST_ASAN
        const rlimit memory{limits.memoryBytes, limits.memoryBytes};
        ::setrlimit(RLIMIT_AS, &memory);
#endif
        const rlimit cpu{seconds, seconds + 1};
        ::setrlimit(RLIMIT_CPU, &cpu);
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::execve(program.c_str(), argp.data(), envp.data());
        ::_exit(127);
    }
    run.started = true;

    const auto deadline = std::chrono::steady_clock::now() + limits.time;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            return run;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            run.timedOut = true;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!run.timedOut && WIFEXITED(status)) {
        run.exited = true;
        run.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    run.out = ReadAll(outPath);
    run.err = ReadAll(errPath);
    return run;
}

} // namespace kmission::test
