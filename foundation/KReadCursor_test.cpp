#include "KReadCursor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KMemoryStream.h"
#include "KX.h"

namespace {

// A channel whose first read finds nothing waiting and whose later reads
// succeed with 'x' bytes; it counts the reads it was asked for.
class LateChannel : public KStream {
  public:
    bool IsOpen() override { return true; }
    void Read(void* buffer, int32_t n) override {
        if (reads++ == 0) throw KXStream(kErrFileRead, 0);
        std::memset(buffer, 'x', static_cast<size_t>(n));
    }
    int reads = 0;
};

TEST(KReadCursor, ReadsFieldsInOrderWhileTheBytesLast) {
    KMemoryStream stream(std::string("abcdef"));
    KReadCursor cursor(stream);
    char head[2], rest[4];
    EXPECT_TRUE(cursor.Read(head, sizeof head));
    EXPECT_TRUE(cursor.Read(rest, sizeof rest));
    EXPECT_EQ(std::string(head, 2) + std::string(rest, 4), "abcdef");
    EXPECT_EQ(cursor.Error(), 0);
    char more[1] = {'?'};
    EXPECT_FALSE(cursor.Read(more, 1));
    EXPECT_EQ(more[0], 0);
    EXPECT_EQ(cursor.Error(), kErrFileRead);
}

TEST(KReadCursor, ShortReadGivesZerosAndTheErrorSticks) {
    KMemoryStream stream(std::string("abc"));
    KReadCursor cursor(stream);
    char field[4];
    std::memset(field, '?', sizeof field);
    EXPECT_FALSE(cursor.Read(field, sizeof field));
    EXPECT_EQ(std::string(field, 4), std::string(4, '\0'));
    EXPECT_EQ(cursor.Error(), kErrFileRead);
}

TEST(KReadCursor, AfterAFailureTheStreamIsNotAskedAgain) {
    LateChannel channel;
    KReadCursor cursor(channel);
    char a[2] = {'?', '?'}, b[3] = {'?', '?', '?'};
    EXPECT_FALSE(cursor.Read(a, sizeof a));
    EXPECT_FALSE(cursor.Read(b, sizeof b));
    EXPECT_EQ(channel.reads, 1);
    EXPECT_EQ(std::string(b, 3), std::string(3, '\0'));
    EXPECT_EQ(cursor.Error(), kErrFileRead);
}

}  // namespace
