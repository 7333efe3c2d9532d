// An Xvfb server of the test's own: Xvfb picks a free display number itself
// (-displayfd) and writes it once it accepts clients; DISPLAY points at it
// while the object lives, and the server is stopped with it.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace mve::test {

class XvfbServer {
public:
    XvfbServer()
    {
        if (const char* old = std::getenv("DISPLAY")) oldDisplay_ = old, hadDisplay_ = true;
        int fds[2];
        if (pipe(fds) != 0) return;
        const std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
                              nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        if (posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (pid_ > 0) display_ = read_display(fds[0]);
        close(fds[0]);
        if (!display_.empty()) setenv("DISPLAY", display_.c_str(), 1);
    }

    ~XvfbServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (hadDisplay_)
            setenv("DISPLAY", oldDisplay_.c_str(), 1);
        else
            unsetenv("DISPLAY");
    }

    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N" once the server runs, empty when it could not be started.
    const std::string& display() const { return display_; }

private:
    // The display number line, waiting at most 20 seconds for it.
    static std::string read_display(int fd)
    {
        std::string text;
        pollfd p{fd, POLLIN, 0};
        while (text.find('\n') == std::string::npos && poll(&p, 1, 20000) > 0) {
            char buf[32];
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) break;
            text.append(buf, size_t(n));
        }
        const auto end = text.find('\n');
        return end == std::string::npos || end == 0 ? std::string() : ":" + text.substr(0, end);
    }

    pid_t pid_ = -1;
    std::string display_;
    std::string oldDisplay_;
    bool hadDisplay_ = false;
};

}  // namespace mve::test
