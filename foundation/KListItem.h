#pragma once

#include <cstdint>

#include "KPersistent.h"

class KList;

// An object that lives in a KList carries its own links. Destroying an item
// first takes it out of its list.
class KListItem : public KPersistent {
  public:
    KListItem() = default;
    KListItem(const KListItem&) = delete;
    KListItem& operator=(const KListItem&) = delete;
    ~KListItem() override;

    // The class name stored with items of lists of mixed classes.
    virtual const char* ClassName() const { return "KListItem"; }
    // Position in the owner list, -1 when in none.
    virtual int32_t IndexInOwner() const;

    KList* Owner() const { return owner_; }
    KListItem* Next() const { return next_; }
    KListItem* Prev() const { return prev_; }

  private:
    friend class KList;
    KList* owner_ = nullptr;
    KListItem* next_ = nullptr;
    KListItem* prev_ = nullptr;
};

// An item that can be kept in an order of its own choosing.
class KSortedListItem : public KListItem {
  public:
    const char* ClassName() const override { return "KSortedListItem"; }
    virtual bool IsAfter(const KSortedListItem&) const { return true; }
};
