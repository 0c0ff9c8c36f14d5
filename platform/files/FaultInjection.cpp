// The file layer's test switches: counting, injected crashes and disk-full writes.
#include "platform/files/FaultInjection.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/Environment.h"
#include "platform/core/ProcessExit.h"

namespace platform::files::faults {
namespace {

// Crash and failure points are absolute counts (0 = off), so the check is a
// comparison with the running counters.
struct State {
    std::atomic<long> operations{0};
    std::atomic<long> writes{0};
    std::atomic<long> crash_at{0};
    std::atomic<long> fail_write_at{0};
    std::atomic<bool> no_kernel_copies{false};
    std::string report_path;

    State() {
        if (auto k = env::get_positive("KINORA_CRASH_AT_FILE_OP")) crash_at = *k;
        if (auto k = env::get_positive("KINORA_FAIL_FILE_WRITE_AT")) fail_write_at = *k;
        if (auto path = env::get("KINORA_REPORT_FILE_OPS")) report_path = *path;
    }
};

State& state() {
    static State s;
    return s;
}

// Reads the environment at start-up and arranges for the report at exit,
// whether the process returns from main or leaves through ExitToShell.
struct StartUp {
    StartUp() {
        if (state().report_path.empty()) return;
        std::atexit([] { write_report(); });
        process::add_exit_hook([] { write_report(); });
    }
};
const StartUp start_up;

}  // namespace

Result<void> before(Op op) {
    auto& s = state();
    long n = ++s.operations;
    long crash = s.crash_at.load();
    if (crash != 0 && n == crash) std::_Exit(kCrashExitStatus);
    if (op == Op::Write) {
        long w = ++s.writes;
        long failing = s.fail_write_at.load();
        if (failing != 0 && w == failing) return fail(dskFulErr, "injected disk-full write");
    }
    return ok();
}

void crash_before_operation(long k) {
    auto& s = state();
    s.crash_at = k > 0 ? s.operations.load() + k : 0;
}

void fail_write(long k) {
    auto& s = state();
    s.fail_write_at = k > 0 ? s.writes.load() + k : 0;
}

void refuse_kernel_copies(bool on) { state().no_kernel_copies = on; }
bool kernel_copies_refused() { return state().no_kernel_copies.load(); }

long operation_count() { return state().operations.load(); }
long write_count() { return state().writes.load(); }

void write_report() {
    auto& s = state();
    if (s.report_path.empty()) return;
    if (FILE* f = std::fopen(s.report_path.c_str(), "w")) {
        std::fprintf(f, "%ld\n%ld\n", s.operations.load(), s.writes.load());
        std::fclose(f);
    }
}

}  // namespace platform::files::faults
