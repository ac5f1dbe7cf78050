#include "TDebugTrace.h"

#include <gtest/gtest.h>

#include "KUtf8.h"

namespace {

// At ten megabytes a second a trace passes two thousand million characters
// within minutes: the line numbers go on counting past every 32-bit limit.
TEST(TDebugTrace, LineNumbersCountPastThirtyTwoBits) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "\r\n000000:"},
        {5, "\r\n000005:"},
        {1234567, "\r\n1234567:"},
        {(uint64_t{1} << 31) + 5, "\r\n2147483653:"},
        {(uint64_t{1} << 32) + 1, "\r\n4294967297:"},
    };
    for (const auto& [count, expected] : cases) {
        KString line;
        TDebugTrace::AppendLineStart(line, count);
        EXPECT_EQ(KUtf8Of(line), expected);
    }
}

}  // namespace
