// Running a piece of a test in a child process.
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

// The exit code a child uses to say the machine cannot run the check.
inline constexpr int kChildCannotRun = 77;

// Runs `body` in a forked child and returns its exit code (-1 when it died
// of a signal). The child ends with _exit, so nothing of the parent's
// state is flushed or destroyed twice.
inline int run_in_child(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a child: gives it mounts of its own, so it can mount without touching
// the machine. False where that is not permitted.
inline bool private_mounts() {
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}
