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

std::vector<int32_t> Keys(const KListOf<KSparseArrayItem, KSparseArray>& a) {
    std::vector<int32_t> keys;
    for (const KSparseArrayItem& item : a) keys.push_back(item.Key());
    return keys;
}

TEST(KList, InsertionPositionsAndMisuse) {
    int alive = 0;
    KListOf<Counted> list;
    auto make = [&alive] { return std::make_unique<Counted>(&alive); };
    auto first = make();
    Counted* a = first.get();
    EXPECT_EQ(list.InsertAt(std::move(first), 0), 0);
    EXPECT_EQ(list.Add(make()), 1);
    auto middle = make();
    Counted* b = middle.get();
    EXPECT_EQ(list.InsertAt(std::move(middle), 1), 1);
    EXPECT_EQ(list.Add(nullptr), -1);
    EXPECT_EQ(list.InsertAt(make(), 5), 3);
    auto last = make();
    Counted* y = last.get();
    EXPECT_EQ(list.InsertAt(std::move(last), -1), 4);
    EXPECT_EQ(list.IndexOf(b), 1);
    EXPECT_EQ(list.At(4), y);
    EXPECT_EQ(list.At(5), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
    list.InsertBefore(make(), nullptr);
    Counted* head = list.Head();
    list.InsertAfter(make(), nullptr);
    Counted* tail = list.Tail();
    list.InsertAfter(make(), a);
    EXPECT_EQ(list.Head(), head);
    EXPECT_EQ(list.Tail(), tail);
    EXPECT_EQ(list.At(2)->IndexInOwner(), 2);
    EXPECT_EQ(KListOf<Counted>::Next(*a), list.At(2));
    EXPECT_EQ(list.Count(), 8);

    KListOf<Counted> other;
    EXPECT_EQ(other.Remove(a), nullptr);  // not its item
    other.InsertAfter(make(), a);         // nor is the anchor
    EXPECT_EQ(other.Count(), 0);
    EXPECT_EQ(list.Count(), 8);
    EXPECT_EQ(alive, 8);
}

TEST(KList, OwnershipOnDestruction) {
    int alive = 0;
    {
        KListOf<Counted> list;
        for (int i = 0; i < 4; ++i) list.Add(std::make_unique<Counted>(&alive));
        delete list.At(1);  // leaves the list consistent
        EXPECT_EQ(list.Count(), 3);
        EXPECT_EQ(list.At(0)->Next(), list.At(1));
        EXPECT_EQ(list.At(1)->Prev(), list.At(0));
        std::unique_ptr<Counted> removed = list.Remove(list.Head());
        EXPECT_EQ(removed->Owner(), nullptr);
        EXPECT_EQ(list.Count(), 2);
        removed.reset();
        list.Delete(list.Tail());
        EXPECT_EQ(alive, 1);
        int visited = 0;
        for (Counted& item : list) visited += item.alive == &alive;
        EXPECT_EQ(visited, 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(KSparseArray, KeyOrderAndLookup) {
    KListOf<KSparseArrayItem, KSparseArray> a;
    auto item = [](int32_t key) { return std::make_unique<KSparseArrayItem>(key); };
    for (int32_t key : {20, 10, 30}) a.Add(item(key));
    EXPECT_EQ(Keys(a), (std::vector<int32_t>{10, 20, 30}));
    ASSERT_NE(a.At(20), nullptr);
    EXPECT_EQ(a.At(20)->Key(), 20);
    EXPECT_EQ(a.At(25), nullptr);
    EXPECT_EQ(a.At(5), nullptr);
    EXPECT_EQ(a.At(31), nullptr);
    for (int32_t key : {25, 15, 1, 15}) a.Add(item(key));
    EXPECT_EQ(Keys(a), (std::vector<int32_t>{1, 10, 15, 15, 20, 25, 30}));
    // The cursor survives removal of the item it is on.
    a.Delete(a.At(25));
    EXPECT_EQ(a.At(30)->IndexInOwner(), 30);
    EXPECT_EQ(a.At(25), nullptr);
    KSparseArray plain;
    EXPECT_EQ(plain.Add(std::make_unique<KListItem>()), -1);  // not keyed: refused
    EXPECT_EQ(a.Add(item(7)), 7);
    EXPECT_EQ(Keys(a), (std::vector<int32_t>{1, 7, 10, 15, 15, 20, 30}));
}

}  // namespace
