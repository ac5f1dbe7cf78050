#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "KListItem.h"

class KStream;
class KString;

// Makes an item for ReadList; className is empty when the list was written
// without class names. Returns null for a class it does not know.
using KItemFactory = std::function<std::unique_ptr<KListItem>(const KString& className)>;

// An intrusive doubly linked list that owns its items. Items are handed in and
// out as std::unique_ptr; a null item is refused (an index result is -1).
// KListOf gives a list of one item class typed access and range-for.
class KList {
  public:
    static constexpr uint32_t kTag = 0x00010007;

    KList() = default;
    KList(const KList&) = delete;
    KList& operator=(const KList&) = delete;
    virtual ~KList() { Clear(); }

    int32_t Add(std::unique_ptr<KListItem> item);
    virtual int32_t IndexOf(const KListItem* item) const;
    virtual KListItem* At(int32_t index) const;
    // Unlinks the item when it is in this list and hands it to the caller;
    // null when it is not.
    std::unique_ptr<KListItem> Remove(KListItem* item);

    int32_t InsertAt(std::unique_ptr<KListItem> item, int32_t index);
    // Before or after other, an item of this list; null means the head or tail.
    void InsertBefore(std::unique_ptr<KListItem> item, KListItem* other);
    void InsertAfter(std::unique_ptr<KListItem> item, KListItem* other);
    void Delete(KListItem* item) { Remove(item); }
    void Clear();

    int32_t Count() const { return count_; }
    KListItem* Head() const { return head_; }
    KListItem* Tail() const { return tail_; }

    // Tag, count, then each item, each preceded by its class name when asked.
    void WriteList(KStream& stream, bool withClassNames) const;
    // Destroys the current items, then reads a list written by WriteList.
    void ReadList(KStream& stream, const KItemFactory& factory, bool withClassNames);

  protected:
    // Links a free item where this kind of list keeps it; -1 refuses it.
    virtual int32_t Adopt(KListItem& item);
    // Takes an item of this list out of it without destroying it.
    virtual void Unlink(KListItem& item);
    // Links a free item between prev and next (either may be null).
    void Link(KListItem& item, KListItem* prev, KListItem* next);

  private:
    friend class KListItem;
    // The item to link, or null when there is none or it belongs to a list
    // already (a programmer's error, asserted; that list keeps it).
    static KListItem* Free(std::unique_ptr<KListItem>& item);

    int32_t count_ = 0;
    KListItem* head_ = nullptr;
    KListItem* tail_ = nullptr;
};

// Walks the items of a list of Items from head to tail.
template <class Item>
class KListIterator {
  public:
    explicit KListIterator(KListItem* at) : at_(at) {}
    Item& operator*() const { return *static_cast<Item*>(at_); }
    Item* operator->() const { return static_cast<Item*>(at_); }
    KListIterator& operator++() {
        at_ = at_->Next();
        return *this;
    }
    bool operator==(const KListIterator& other) const { return at_ == other.at_; }

  private:
    KListItem* at_;
};

// The items of a list of Items for range-for, without the means to add or
// remove any.
template <class Item>
class KItemRange {
  public:
    explicit KItemRange(KListItem* head) : head_(head) {}
    KListIterator<Item> begin() const { return KListIterator<Item>(head_); }
    KListIterator<Item> end() const { return KListIterator<Item>(nullptr); }

  private:
    KListItem* head_;
};

// A KList whose items are all of class T (or derived from it): typed ends,
// lookup and removal, and range-for over T&. Base is KList or a list class
// derived from it.
template <class T, class Base = KList>
class KListOf : public Base {
  public:
    KListIterator<T> begin() { return KListIterator<T>(Base::Head()); }
    KListIterator<T> end() { return KListIterator<T>(nullptr); }
    KListIterator<const T> begin() const { return KListIterator<const T>(Base::Head()); }
    KListIterator<const T> end() const { return KListIterator<const T>(nullptr); }
    // The items, changeable, of a list that may itself not be changed.
    KItemRange<T> Items() const { return KItemRange<T>(Base::Head()); }

    T* Head() const { return static_cast<T*>(Base::Head()); }
    T* Tail() const { return static_cast<T*>(Base::Tail()); }
    T* At(int32_t index) const override { return static_cast<T*>(Base::At(index)); }
    static T* Next(const T& item) { return static_cast<T*>(item.Next()); }
    static T* Prev(const T& item) { return static_cast<T*>(item.Prev()); }

    int32_t Add(std::unique_ptr<T> item) { return Base::Add(std::move(item)); }
    int32_t InsertAt(std::unique_ptr<T> item, int32_t index) {
        return Base::InsertAt(std::move(item), index);
    }
    void InsertBefore(std::unique_ptr<T> item, T* other) {
        Base::InsertBefore(std::move(item), other);
    }
    void InsertAfter(std::unique_ptr<T> item, T* other) {
        Base::InsertAfter(std::move(item), other);
    }
    std::unique_ptr<T> Remove(T* item) {
        return std::unique_ptr<T>(static_cast<T*>(Base::Remove(item).release()));
    }
    void ReadList(KStream& stream, const std::function<std::unique_ptr<T>(const KString&)>& factory,
                  bool withClassNames) {
        Base::ReadList(
            stream, [&factory](const KString& name) { return factory(name); }, withClassNames);
    }
};
