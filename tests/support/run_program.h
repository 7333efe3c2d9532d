// Runs an outside program (xclip, a helper of the tests) with its standard
// input and output on files, and waits for it at most a given time.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace mve::test {

struct ProgramResult {
    bool finished = false;  // false: still running at the time limit (it was killed)
    int status = -1;        // exit status when it finished normally
    double seconds = 0;
};

inline double now_seconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// stdinPath / stdoutPath empty: /dev/null. Standard error goes to /dev/null
// too: a program that leaves a background child behind (xclip -i) must not
// hold the caller's output open.
inline ProgramResult run_program(const std::vector<std::string>& args, const std::string& stdinPath = "",
                                 const std::string& stdoutPath = "", double limitSeconds = 30)
{
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, stdinPath.empty() ? "/dev/null" : stdinPath.c_str(),
                                     O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.empty() ? "/dev/null" : stdoutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ProgramResult r;
    const double start = now_seconds();
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return r;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (now_seconds() - start > limitSeconds) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            r.seconds = now_seconds() - start;
            return r;
        }
        usleep(2000);
    }
    r.seconds = now_seconds() - start;
    r.finished = WIFEXITED(status);
    r.status = r.finished ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace mve::test
