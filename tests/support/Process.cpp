#include "tests/support/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

bool same_name(const std::string& entry, const std::string& name) {
    return entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 && entry[name.size()] == '=';
}

std::string name_of(const std::string& assignment) { return assignment.substr(0, assignment.find('=')); }

// This process's environment less `unset` and the names `env` sets, then `env`.
std::vector<std::string> environment(const RunOptions& o) {
    std::vector<std::string> out;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool drop = false;
        for (const auto& n : o.unset) drop |= same_name(entry, n);
        for (const auto& a : o.env) drop |= same_name(entry, name_of(a));
        if (!drop) out.push_back(entry);
    }
    out.insert(out.end(), o.env.begin(), o.env.end());
    return out;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (auto& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

// Starts argv in a process group of its own (so a time limit can end all it
// started), stdin from /dev/null, stdout and stderr onto `out_fd`/`err_fd`.
pid_t spawn(std::vector<std::string> argv, const RunOptions& o, int out_fd, int err_fd) {
    std::vector<std::string> env = environment(o);
    std::vector<char*> a = pointers(argv), e = pointers(env);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&fa, out_fd, 1);
    posix_spawn_file_actions_adddup2(&fa, err_fd, 2);
    if (!o.cwd.empty()) posix_spawn_file_actions_addchdir_np(&fa, o.cwd.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    pid_t pid = -1;
    // posix_spawnp reports a missing program as an error, not as exit code 127.
    if (posix_spawnp(&pid, a[0], &fa, &attr, a.data(), e.data()) != 0) pid = -1;
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&fa);
    return pid;
}

void kill_group(pid_t pid) {
    if (kill(-pid, SIGKILL) != 0) kill(pid, SIGKILL);
}

// Waits for `pid` to end until `end`: false if it is still running then.
bool reaped(pid_t pid, Clock::time_point end, int* status) {
    for (;; std::this_thread::sleep_for(5ms)) {
        if (waitpid(pid, status, WNOHANG) != 0) return true;
        if (Clock::now() >= end) return false;
    }
}

}  // namespace

ProcessResult run_program(const std::vector<std::string>& argv, const RunOptions& options) {
    ProcessResult r;
    int out[2] = {-1, -1}, err[2] = {-1, -1};
    const bool piped = !argv.empty() && pipe2(out, O_CLOEXEC) == 0 && pipe2(err, O_CLOEXEC) == 0;
    const pid_t pid = piped ? spawn(argv, options, out[1], err[1]) : -1;
    for (int fd : {out[1], err[1]}) if (fd >= 0) close(fd);
    if (pid <= 0) {
        for (int fd : {out[0], err[0]}) if (fd >= 0) close(fd);
        r.err = argv.empty() ? "" : "cannot start " + argv[0];
        return r;
    }

    const auto deadline = Clock::now() + options.timeout;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&r.out, &r.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            r.timed_out = true;
            kill_group(pid);
            break;
        }
        if (poll(fds, 2, int(std::min<long long>(left, 1000))) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[65536];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, size_t(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& f : fds) if (f.fd >= 0) close(f.fd);

    int status = 0;
    // Output closed but the program lives on (it closed its ends): it still
    // gets only what is left of the time limit.
    if (!reaped(pid, deadline, &status)) {
        r.timed_out = true;
        kill_group(pid);
        waitpid(pid, &status, 0);
    }
    if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    if (r.timed_out) {
        r.status = -1;
        r.err += "\n[killed after " + std::to_string(options.timeout.count()) + " ms]\n";
    }
    return r;
}

ProcessResult run_shell(const std::string& command, const RunOptions& options) {
    return run_program({"/bin/sh", "-c", command}, options);
}

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::filesystem::path& out,
             const std::filesystem::path& err) {
    const RunOptions options{.cwd = {}, .env = env, .unset = {}};
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (o >= 0 && e >= 0 && !argv.empty()) pid_ = spawn(argv, options, o, e);
    if (o >= 0) close(o);
    if (e >= 0) close(e);
}

Child::~Child() {
    if (pid_ > 0 && status_ < 0) {
        kill_group(pid_);
        waitpid(pid_, nullptr, 0);
    }
}

int Child::wait(std::chrono::milliseconds limit) {
    int st = 0;
    if (pid_ > 0 && status_ < 0 && reaped(pid_, Clock::now() + limit, &st))
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return status_;
}

int run_in_child(const std::function<int()>& body, std::chrono::milliseconds limit) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    if (pid < 0) return -1;
    int status = 0;
    if (!reaped(pid, Clock::now() + limit, &status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool private_mounts() {
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

}  // namespace testsupport
