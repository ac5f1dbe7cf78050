#include "TDebugTrace.h"

#include <gtest/gtest.h>

#include "KRValues.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "KX.h"
#include "TDefaultSettings.h"
#include "TReceiver.h"

namespace {

// A debug channel that has the typed characters waiting, refuses every
// write, as a full send buffer does, and counts its flushes.
struct RefusingChannel : KStream {
    static constexpr int kType = 99;
    bool Accepts(int type) const override { return type == kType; }
    KStream* CopySettings(KStream* target) const override {
        return KStream::CopySettings(target ? target : new RefusingChannel);
    }
    bool IsOpen() override { return true; }
    bool HasInput() override { return !typed.empty(); }
    void Read(void* buffer, int32_t n) override {
        if (typed.size() < static_cast<size_t>(n)) throw KXStream(kErrFileRead, 0);
        typed.copy(static_cast<char*>(buffer), static_cast<size_t>(n));
        typed.erase(0, static_cast<size_t>(n));
    }
    void Write(const void*, int32_t) override { throw KXStream(8004, 0); }
    void Flush() override { ++flushes; }
    static inline std::string typed;
    static inline int flushes = 0;
};

// A character typed on the port whose echo is lost must not keep the
// poll's trace text back: the flush that ends the poll still happens.
TEST(TDebugTrace, ALostEchoStillFlushesThePoll) {
    KRegistry settings;
    ApplyDefaultSettings(settings);
    TDebugTrace trace(settings);
    trace.Channels().Register(std::make_unique<RefusingChannel>());
    settings.FindString(KTestText("\\Sources\\DebugPort"))->Set(KTestText("99,9600,8,N,1.0"));
    ASSERT_TRUE(trace.BeginPoll());
    TReceiver source;
    trace.TraceChar(source, u'A');
    RefusingChannel::typed = "2";
    RefusingChannel::flushes = 0;
    trace.ReadCommands();
    EXPECT_EQ(RefusingChannel::flushes, 1);
    EXPECT_TRUE(RefusingChannel::typed.empty());
}

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
