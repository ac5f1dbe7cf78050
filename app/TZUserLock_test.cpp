#include "TZUserLock.h"

#include <gtest/gtest.h>

#include <string>

#include "KTestSupport.h"

TEST(TZUserLock, TheLastCharactersTypedUnlock) {
    TZUserLock none(KTestText(""));
    none.Lock();
    EXPECT_EQ(none.GetState(), TZUserLock::kNone);

    TZUserLock lock(KTestText("open"));
    EXPECT_FALSE(lock.Type(u'x'));  // not locked: nothing is kept
    lock.Lock();
    bool unlocked = false;
    for (char c : std::string("xope")) EXPECT_FALSE(lock.Type(static_cast<KChar>(c)));
    EXPECT_TRUE(lock.IsLocked());
    for (char c : std::string("open")) unlocked = lock.Type(static_cast<KChar>(c));
    EXPECT_TRUE(unlocked);
    EXPECT_EQ(lock.GetState(), TZUserLock::kUnlocked);
    // After unlocking, the next lock starts from nothing typed.
    lock.Lock();
    EXPECT_FALSE(lock.Type(u'n'));
    EXPECT_TRUE(lock.IsLocked());
}
