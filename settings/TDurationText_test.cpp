#include "TDurationText.h"

#include <gtest/gtest.h>

#include "KRegistry.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "TDefaultSettings.h"

namespace {

class DurationText : public ::testing::Test {
  protected:
    DurationText() { ApplyDefaultSettings(settings); }
    std::string Written(int64_t ms) {
        KString out;
        TDurationText(settings).Append(out, ms);
        return KUtf8Of(out);
    }
    int64_t Read(const std::string& text) {
        int32_t ms = 0;
        return TDurationText(settings).Parse(KTestText(text), &ms) ? ms : -999999;
    }
    KRegistry settings;
};

TEST_F(DurationText, WrittenTextsReadBackToTheSameMilliseconds) {
    EXPECT_EQ(Written(0), "0.000");
    EXPECT_EQ(Written(250), "0.250");
    EXPECT_EQ(Written(61500), "1:01.500");
    EXPECT_EQ(Written(3723004), "1:02:03.004");
    EXPECT_EQ(Written(90061001), "1:01:01:01.001");
    EXPECT_EQ(Written(-1500), "-1.500");
    for (int64_t ms : {0, 1, 999, 59999, 60000, 3599999, 86400000, 2147483647, -40})
        EXPECT_EQ(Read(Written(ms)), ms) << ms;
}

TEST_F(DurationText, TypedTextsAndWhatIsRefused) {
    EXPECT_EQ(Read("40"), 40000);
    EXPECT_EQ(Read("0.04"), 40);
    EXPECT_EQ(Read("1:2"), 62000);
    EXPECT_EQ(Read("2:00:00"), 7200000);
    for (const char* bad : {"", "abc", "1.2345", "1.", ".5", "1::2", "1:2:3:4:5", "1 s",
                            "3000000000", "24:20:31:24", "-"})
        EXPECT_EQ(Read(bad), -999999) << bad;
    // The separators are the settings' own.
    settings.ApplyLine(KTestText("Strings\\Time\\SecondFracSep:String=,"));
    EXPECT_EQ(Written(1250), "1,250");
    EXPECT_EQ(Read("1,25"), 1250);
}

}  // namespace
