#include "KStopSignals.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

// Each of the three signals wakes a poll on the descriptor and is taken
// once, and the process lives on.
TEST(KStopSignals, EachStopSignalWakesTheLoopInsteadOfEndingTheProcess) {
    KStopSignals signals;
    ASSERT_GE(signals.Descriptor(), 0);
    EXPECT_FALSE(signals.Take());
    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        ASSERT_EQ(raise(s), 0);
        pollfd wait{signals.Descriptor(), POLLIN, 0};
        EXPECT_EQ(poll(&wait, 1, 1000), 1) << s;
        EXPECT_TRUE(signals.Take()) << s;
        EXPECT_FALSE(signals.Take()) << s;
    }
}
