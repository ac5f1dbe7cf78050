#include "KAssert.h"

#include <gtest/gtest.h>

// The sanitizer build, where the tests run, checks assertions: a false one
// stops the program and names itself.
TEST(KAssert, AFalseAssertionStopsTheSanitizerBuild) {
#if TESSARON_ASSERTIONS
    int evaluated = 0;
    K_ASSERT(++evaluated == 1);
    EXPECT_EQ(evaluated, 1);
    EXPECT_DEATH(K_ASSERT(evaluated == 2), "assertion failed: evaluated == 2");
#else
    GTEST_SKIP() << "assertions are checked in the sanitizer build only";
#endif
}
