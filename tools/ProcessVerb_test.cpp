#include <gtest/gtest.h>

#include "CliTestSupport.h"

namespace {

TEST(ProcessVerb, FormatsEachValueOnItsOwnLine) {
    EXPECT_EQ(Cli({"process", "--process", "%.2s:%.2s", "0930"}).out, "09:30\n");
    Result r = Cli({"process", "--process", "%.3s|", "Marathon", "Äbc€xyz"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Mar|\nÄbc|\n");
    EXPECT_EQ(Cli({"process", "--process", "%s", "C:\\Data"}).out, "C:ta\n");
    EXPECT_EQ(Cli({"process", "--process", "%6s", "42"}).out, "    42\n");
}

TEST(ProcessVerb, EscapeStageAloneWithoutProcessText) {
    EXPECT_EQ(Cli({"process", "41\\L0\\X2\\S0\\D0\\+0\\X2\\U2\\O0", "12\\L0\\X5\\I0"}).out,
              "42\n   12\n");
    EXPECT_EQ(Cli({"process", "\\c3\\a4"}).out, "\xC3\x83\xC2\xA4\n");  // codes, not bytes
}

TEST(ProcessVerb, RegistersCountAcrossValues) {
    Result r = Cli({"process", "--process", "%s\\+9\\X3\\U2\\O9", "a", "b", "c"});
    EXPECT_EQ(r.out, "a001\nb002\nc003\n");
}

TEST(ProcessVerb, UsageErrorsExitTwo) {
    EXPECT_EQ(Cli({"process"}).status, 2);
    EXPECT_EQ(Cli({"process", "--process"}).status, 2);
    EXPECT_EQ(Cli({"process", "--bogus", "x"}).status, 2);
    EXPECT_EQ(Cli({"nonsense"}).status, 2);
    EXPECT_EQ(Cli({"process", "--", "--x"}).out, "--x\n");
}

}  // namespace
