#pragma once
// Runs a piece of a test in a child process: for what must not happen in the
// test program itself (dropping root, being killed, hanging on a FIFO).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace tmf::test {

// The child's exit code, or 128 + the signal that ended it. A watchdog ends
// a child that hangs, so that a hang fails the test instead of stalling it.
inline int InChild(const std::function<int()>& body, unsigned watchdogSeconds = 10) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        ::alarm(watchdogSeconds);
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace tmf::test
