#include "KCopyCounter.h"

#include <gtest/gtest.h>

#include <memory>

#include "KTestSupport.h"

// Each counter opens the files anew, as another process would: locks taken
// through different open files exclude each other even in one process.
TEST(KCopyCounter, CopiesAreNumberedWhileTheFirstRuns) {
    KTestFolder folder;
    auto first = std::make_unique<KCopyCounter>(folder.Path());
    EXPECT_EQ(first->Number(), 1);
    auto second = std::make_unique<KCopyCounter>(folder.Path());
    EXPECT_EQ(second->Number(), 2);
    second.reset();
    auto third = std::make_unique<KCopyCounter>(folder.Path());
    EXPECT_EQ(third->Number(), 3);  // the count only rises
    first.reset();
    third.reset();
    EXPECT_EQ(KCopyCounter(folder.Path()).Number(), 1);  // alone again: the first
}
