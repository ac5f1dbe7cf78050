#include "TZUserLock.h"

#include <gtest/gtest.h>

#include <string>

#include "KRegistry.h"
#include "KTestSupport.h"

namespace {

void Configure(KRegistry& settings, const std::string& unlock) {
    settings.ApplyLine(KTestText("\\General\\:="));
    settings.ApplyLine(KTestText("\\General\\Unlock:String=" + unlock));
}

void TypeText(TZUserLock& lock, const std::string& text, bool* unlocked = nullptr) {
    for (char c : text) {
        const bool opened = lock.Type(static_cast<KChar>(c));
        if (unlocked) *unlocked = opened;
    }
}

}  // namespace

TEST(TZUserLock, TheLastCharactersTypedUnlock) {
    KRegistry none;
    Configure(none, "");
    TZUserLock unconfigured(none);
    unconfigured.Lock();
    EXPECT_EQ(unconfigured.GetState(), TZUserLock::kNone);

    KRegistry settings;
    Configure(settings, "open");
    TZUserLock lock(settings);
    EXPECT_FALSE(lock.Type(u'x'));  // not locked: nothing is kept
    lock.Lock();
    bool unlocked = false;
    TypeText(lock, "xope", &unlocked);
    EXPECT_FALSE(unlocked);
    EXPECT_TRUE(lock.IsLocked());
    TypeText(lock, "open", &unlocked);
    EXPECT_TRUE(unlocked);
    EXPECT_EQ(lock.GetState(), TZUserLock::kUnlocked);
    // After unlocking, the next lock starts from nothing typed.
    lock.Lock();
    EXPECT_FALSE(lock.Type(u'n'));
    EXPECT_TRUE(lock.IsLocked());
}

// The settings editor changes the text while the program runs: the new text
// unlocks, the old one no longer does, and an emptied text cannot lock.
TEST(TZUserLock, TheTextOfTheSettingAtThisMomentCounts) {
    KRegistry settings;
    Configure(settings, "open");
    TZUserLock lock(settings);
    settings.FindString(KTestText("\\General\\Unlock"))->value.Assign(KTestText("sesame"));
    lock.Lock();
    bool unlocked = false;
    TypeText(lock, "open", &unlocked);
    EXPECT_FALSE(unlocked);
    TypeText(lock, "sesame", &unlocked);
    EXPECT_TRUE(unlocked);

    settings.FindString(KTestText("\\General\\Unlock"))->value.Empty();
    lock.Lock();
    EXPECT_FALSE(lock.IsLocked());
}
