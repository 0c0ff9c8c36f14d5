// Running programs from tests: to completion with their output captured,
// in the background, or a piece of the test itself in a forked child.
// Every wait has a limit, so a hung program fails its test instead of
// hanging the run.
#pragma once

#include <sys/mount.h>   // for the mounts a child makes after private_mounts()
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

using namespace std::chrono_literals;

struct RunOptions {
    std::filesystem::path cwd;            // empty: the test's own
    std::vector<std::string> env;         // NAME=VALUE, set for the program
    std::vector<std::string> unset;       // names taken out of its environment
    std::chrono::milliseconds timeout = 120s;
};

struct ProcessResult {
    int status = -1;          // exit status; -1 when it could not start or a signal ended it
    int signal = 0;           // the signal that ended it, if one did
    bool timed_out = false;   // killed at the time limit
    std::string out, err;
    std::string all() const { return out + err; }
};

// Runs argv[0] (looked up in PATH) to completion, capturing its output.
// At the time limit the program and everything it started is killed.
ProcessResult run_program(const std::vector<std::string>& argv, const RunOptions& options = {});
// The same with `/bin/sh -c command`.
ProcessResult run_shell(const std::string& command, const RunOptions& options = {});
// `s` as one word for the shell.
std::string quote(const std::string& s);

// A program left running, its output going to files; killed (with what it
// started) if it is still running when the object goes.
class Child {
public:
    // `env`: NAME=VALUE set for the program.
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::filesystem::path& out,
          const std::filesystem::path& err);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }
    // The exit status (128 + the signal when one ended it), or -1 if it is
    // still running after `limit`.
    int wait(std::chrono::milliseconds limit);

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

// The exit code a child uses to say the machine cannot run the check.
inline constexpr int kChildCannotRun = 77;

// Runs `body` in a forked child and returns its exit code (-1 when it died
// of a signal or outlived `limit`). The child ends with _exit, so nothing of
// the parent's state is flushed or destroyed twice.
int run_in_child(const std::function<int()>& body, std::chrono::milliseconds limit = 120s);

// In a child: gives it mounts of its own, so it can mount without touching
// the machine. False where that is not permitted.
bool private_mounts();

}  // namespace testsupport
