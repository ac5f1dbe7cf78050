#pragma once

#include <cstdint>
#include <functional>

#include "KListItem.h"

class KStream;
class KString;

// Makes an item for ReadList; className is empty when the list was written
// without class names. Returns null for a class it does not know.
using KItemFactory = std::function<KListItem*(const KString& className)>;

// An intrusive doubly linked list that owns its items. Inserting a null item
// or one that already has an owner does nothing (an index result is -1).
class KList {
  public:
    static constexpr uint32_t kTag = 0x00010007;

    KList() = default;
    KList(const KList&) = delete;
    KList& operator=(const KList&) = delete;
    virtual ~KList() { Clear(); }

    virtual int32_t Add(KListItem* item);
    virtual int32_t IndexOf(const KListItem* item) const;
    virtual KListItem* At(int32_t index) const;
    // Unlinks the item when it is in this list; the caller then owns it.
    virtual KListItem* Remove(KListItem* item);
    virtual void TakeAll(KList& other);
    // Forgets all items without unlinking or destroying them.
    virtual void Reset();

    int32_t InsertAt(KListItem* item, int32_t index);
    void InsertBefore(KListItem* item, KListItem* other);
    void InsertAfter(KListItem* item, KListItem* other);
    void Delete(KListItem* item);
    void Clear();

    int32_t Count() const { return count_; }
    KListItem* Head() const { return head_; }
    KListItem* Tail() const { return tail_; }

    // Tag, count, then each item, each preceded by its class name when asked.
    void WriteList(KStream& stream, bool withClassNames) const;
    // Destroys the current items, then reads a list written by WriteList.
    void ReadList(KStream& stream, const KItemFactory& factory, bool withClassNames);

  protected:
    static bool Insertable(const KListItem* item) { return item && !item->owner_; }
    // Links a free item between prev and next (either may be null).
    void Link(KListItem* item, KListItem* prev, KListItem* next);

  private:
    int32_t count_ = 0;
    KListItem* head_ = nullptr;
    KListItem* tail_ = nullptr;
};
