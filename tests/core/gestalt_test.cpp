#include <gtest/gtest.h>

#include "platform/Process.h"
#include "platform/core/ProcessExit.h"

TEST(ExitToShellDeathTest, EndsTheProcessAfterRunningTheHooks) {
    EXPECT_EXIT(
        {
            platform::process::add_exit_hook([] { fputs("restored", stderr); });
            platform::process::set_exit_status(7);
            ExitToShell();
        },
        testing::ExitedWithCode(7), "restored");
}

#ifdef KINORA_SANITIZE_BUILD
#include <sys/wait.h>

namespace {
[[gnu::noinline]] void lose_a_block() {
    char* volatile p = new char[4096];
    p[0] = 1;
    p = nullptr;
}
}  // namespace

// The process ends without the exit-time leak check; ExitToShell makes it.
TEST(ExitToShellDeathTest, ReportsWhatWasLost) {
    EXPECT_EXIT(
        {
            lose_a_block();
            ExitToShell();
        },
        [](int status) { return !(WIFEXITED(status) && WEXITSTATUS(status) == 0); }, "LeakSanitizer");
}
#endif
