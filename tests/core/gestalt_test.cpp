#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "platform/Gestalt.h"
#include "platform/Process.h"
#include "platform/core/GestaltRegistry.h"
#include "platform/core/ProcessExit.h"

namespace gestalt = platform::gestalt;

TEST(Gestalt, UnknownAndRemovedSelectors) {
    SInt32 v = 123;
    gestalt::set_value('test', 42);
    ASSERT_EQ(Gestalt('test', &v), noErr);
    EXPECT_EQ(v, 42);
    gestalt::remove('test');
    v = 123;
    EXPECT_EQ(Gestalt('test', &v), gestaltUndefSelectorErr);
    EXPECT_EQ(v, 123) << "the response is written only on success";
}

TEST(ExitToShellDeathTest, EndsTheProcessAfterRunningTheHooks) {
    EXPECT_EXIT(
        {
            platform::process::add_exit_hook([] { fputs("restored", stderr); });
            platform::process::set_exit_status(7);
            ExitToShell();
        },
        testing::ExitedWithCode(7), "restored");
}
