// Starting the installer again while something else holds it.
#include "download/start_retry.h"

#include <gtest/gtest.h>

namespace {

TEST(StartRetry, OnlyAHeldFileIsTriedAgainAndOnlyForTenSeconds)
{
    struct Case {
        unsigned long error, elapsedMs, pause;
    };
    const Case cases[] = {
        {32, 0, 200},      // sharing violation
        {5, 0, 200},       // access denied
        {32, 9900, 100},   // the last try falls on the window's end
        {32, 10000, 0},    // the window is over
        {2, 0, 0},         // file not found: no scanner's doing
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartRetryPause(c.error, c.elapsedMs), c.pause) << c.error << " after " << c.elapsedMs;
}

}  // namespace
