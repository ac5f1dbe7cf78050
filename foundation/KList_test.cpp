#include "KList.h"

#include <gtest/gtest.h>

#include <vector>

#include "KSparseArray.h"

namespace {

struct Counted : KListItem {
    explicit Counted(int* alive) : alive(alive) { ++*alive; }
    ~Counted() override { --*alive; }
    int* alive;
};

std::vector<int32_t> Keys(const KSparseArray& a) {
    std::vector<int32_t> keys;
    for (KListItem* p = a.Head(); p; p = p->Next()) keys.push_back(p->IndexInOwner());
    return keys;
}

TEST(KList, InsertionPositionsAndMisuse) {
    int alive = 0;
    KList list;
    auto* a = new Counted(&alive);
    auto* b = new Counted(&alive);
    auto* c = new Counted(&alive);
    EXPECT_EQ(list.InsertAt(a, 0), 0);
    EXPECT_EQ(list.Add(c), 1);
    EXPECT_EQ(list.InsertAt(b, 1), 1);
    EXPECT_EQ(list.Add(b), -1);  // already in a list
    EXPECT_EQ(list.Add(nullptr), -1);
    auto* x = new Counted(&alive);
    EXPECT_EQ(list.InsertAt(x, 5), 3);
    auto* y = new Counted(&alive);
    EXPECT_EQ(list.InsertAt(y, -1), 4);
    EXPECT_EQ(list.IndexOf(b), 1);
    EXPECT_EQ(list.At(4), y);
    EXPECT_EQ(list.At(5), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
    auto* head = new Counted(&alive);
    list.InsertBefore(head, nullptr);
    auto* tail = new Counted(&alive);
    list.InsertAfter(tail, nullptr);
    auto* mid = new Counted(&alive);
    list.InsertAfter(mid, a);
    EXPECT_EQ(list.Head(), head);
    EXPECT_EQ(list.Tail(), tail);
    EXPECT_EQ(mid->IndexInOwner(), 2);
    EXPECT_EQ(list.Count(), 8);

    KList other;
    EXPECT_EQ(other.Remove(a), nullptr);  // not its item
    EXPECT_EQ(list.Count(), 8);
    EXPECT_EQ(alive, 8);
}

TEST(KList, OwnershipOnDestruction) {
    int alive = 0;
    {
        KList list;
        for (int i = 0; i < 4; ++i) list.Add(new Counted(&alive));
        KListItem* second = list.At(1);
        delete second;  // leaves the list consistent
        EXPECT_EQ(list.Count(), 3);
        EXPECT_EQ(list.At(0)->Next(), list.At(1));
        EXPECT_EQ(list.At(1)->Prev(), list.At(0));
        KListItem* removed = list.Remove(list.Head());
        EXPECT_EQ(removed->Owner(), nullptr);
        EXPECT_EQ(list.Count(), 2);
        delete removed;
        list.Delete(list.Tail());
        EXPECT_EQ(alive, 1);
        KList other;
        other.Add(new Counted(&alive));
        other.Add(new Counted(&alive));
        list.TakeAll(other);
        EXPECT_EQ(other.Count(), 0);
        EXPECT_EQ(list.Count(), 3);
        EXPECT_EQ(list.Tail()->Owner(), &list);
    }
    EXPECT_EQ(alive, 0);
}

TEST(KSparseArray, KeyOrderAndLookup) {
    KSparseArray a;
    for (int32_t key : {20, 10, 30}) a.Add(new KSparseArrayItem(key));
    EXPECT_EQ(Keys(a), (std::vector<int32_t>{10, 20, 30}));
    ASSERT_NE(a.At(20), nullptr);
    EXPECT_EQ(a.At(20)->IndexInOwner(), 20);
    EXPECT_EQ(a.At(25), nullptr);
    EXPECT_EQ(a.At(5), nullptr);
    EXPECT_EQ(a.At(31), nullptr);
    a.Add(new KSparseArrayItem(25));
    a.Add(new KSparseArrayItem(15));
    a.Add(new KSparseArrayItem(1));
    a.Add(new KSparseArrayItem(15));
    EXPECT_EQ(Keys(a), (std::vector<int32_t>{1, 10, 15, 15, 20, 25, 30}));
    // The cursor survives removal of the item it is on.
    KListItem* found = a.At(25);
    a.Delete(found);
    EXPECT_EQ(a.At(30)->IndexInOwner(), 30);
    EXPECT_EQ(a.At(25), nullptr);
    KList plain;
    plain.Add(new KSparseArrayItem(3));
    a.TakeAll(plain);
    EXPECT_EQ(plain.Count(), 1);
    EXPECT_EQ(a.Add(new KSparseArrayItem(7)), 7);
    EXPECT_EQ(Keys(a), (std::vector<int32_t>{1, 7, 10, 15, 15, 20, 30}));
}

}  // namespace
