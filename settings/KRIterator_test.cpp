#include "KRIterator.h"

#include <gtest/gtest.h>

#include <string>

#include "KRegistry.h"
#include "KTestSupport.h"
#include "KUtf8.h"

namespace {

class Iterator : public ::testing::Test {
  protected:
    Iterator() {
        for (const char* line :
             {"A\\:=", "A\\a1:Int=1", "A\\B\\:=", "A\\B\\b1:Int=1", "A\\B\\b2:Int=1", "A\\a2:Int=1",
              "C\\:=", "C\\c1:Int=1", "d:Int=1"})
            registry.ApplyLine(KTestText(line));
    }
    void Toggle(const char* path) {
        registry.FindGroup(KTestText(path))->groupFlags ^= KRGroup::kExpanded;
    }
    // Rows as "name/depth", "-" for none.
    static std::string Rows(KRIterator& rows, std::initializer_list<int32_t> indexes) {
        std::string text;
        for (int32_t i : indexes) {
            const KRNode* node = rows.At(i);
            text +=
                node ? KUtf8Of(node->name) + "/" + std::to_string(rows.DepthOf(node)) + " " : "- ";
        }
        return text;
    }
    KRegistry registry;
};

TEST_F(Iterator, ExpandedGroupsShowTheirChildrenInPreOrder) {
    KRIterator rows(registry);
    EXPECT_EQ(Rows(rows, {0, 1, 2, 3}), "A/0 C/0 d/0 - ");
    Toggle("\\A\\B\\");  // inside a collapsed group: no new rows
    EXPECT_EQ(rows.Recount(), 3);
    Toggle("\\A\\");
    EXPECT_EQ(rows.Recount(), 8);
    EXPECT_EQ(Rows(rows, {0, 1, 2, 3, 4, 5, 6, 7}), "A/0 a1/1 B/1 b1/2 b2/2 a2/1 C/0 d/0 ");
    Toggle("\\A\\B\\");
    EXPECT_EQ(rows.Recount(), 6);
}

TEST_F(Iterator, RowsAreFoundForwardAndBackwardFromTheCache) {
    Toggle("\\A\\");
    Toggle("\\A\\B\\");
    KRIterator rows(registry);
    EXPECT_EQ(Rows(rows, {6, 7, 2, 3, 0, 5, 5, 1, -1, 8}),
              "C/0 d/0 B/1 b1/2 A/0 a2/1 a2/1 a1/1 - - ");

    // A node added before the cached row moves the rows after it.
    rows.At(6);
    registry.ApplyLine(KTestText("A\\a0:Int=1"));
    KRNode* added = registry.Find(KTestText("\\A\\a0"));
    KListOf<KRNode>& children = added->Parent()->children;
    children.InsertAt(children.Remove(added), 0);
    EXPECT_EQ(rows.Recount(), 9);
    EXPECT_EQ(Rows(rows, {6, 1}), "a2/1 a0/1 ");
}

}  // namespace
