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
