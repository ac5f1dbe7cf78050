#include "TWebFields.h"

#include <gtest/gtest.h>

#include "KTestSupport.h"

namespace {

TEST(WebFields, AListenerThatFallsTooFarBehindIsStoppedAndHoldsNothing) {
    TWebFields fields;
    TWebFields::Listener* reading = fields.Join();
    TWebFields::Listener* stuck = fields.Join();
    const TWebFields::Report report =
        TWebFields::RemoteReport(KTestText("Pool"), KTestText(std::string(1000, 'x')));
    std::deque<std::string> taken;
    size_t received = 0;
    for (int i = 0; i < 10000; ++i) {
        fields.Publish(report);
        if (i % 100 == 99) {
            ASSERT_TRUE(fields.Take(reading, taken));
            received += taken.size();
        }
        EXPECT_LE(stuck->bytes, TWebFields::kMaxWaiting);
    }
    EXPECT_EQ(received, 10000u);
    EXPECT_FALSE(fields.Take(stuck, taken));
    EXPECT_TRUE(stuck->waiting.empty());
    fields.Leave(stuck);
    fields.Leave(reading);
}

TEST(WebFields, TheSnapshotKeepsEachPacketsLastValuesAndEachSourcesStatus) {
    TWebFields fields;
    fields.Publish(TWebFields::StatusReport(KTestText("Pool"), KTestText("Connected")));
    fields.Publish(TWebFields::RemoteReport(KTestText("Desk"), KTestText("Command=Trigger")));
    EXPECT_EQ(fields.Snapshot(), R"({"sources":[{"name":"Pool","status":"Connected","packets":{}},)"
                                 R"({"name":"Desk","status":"","packets":{}}]})");
}

}  // namespace
