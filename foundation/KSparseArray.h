#pragma once

#include "KList.h"

// An item of a KSparseArray, found by its integer key.
class KSparseArrayItem : public KListItem {
  public:
    explicit KSparseArrayItem(int32_t key = -1) : key_(key) {}
    const char* ClassName() const override { return "KSparseArrayItem"; }
    int32_t IndexInOwner() const override { return key_; }
    int32_t Key() const { return key_; }
    // Only while the item is in no array, so that the order holds.
    void SetKey(int32_t key) {
        if (!Owner()) key_ = key;
    }

  private:
    int32_t key_;
};

// A list kept in key order. A cursor stays at the last item found or inserted,
// so walking keys in increasing order costs one step per access.
class KSparseArray : public KList {
  public:
    int32_t IndexOf(const KListItem* item) const override;
    // The item with this key, or null.
    KListItem* At(int32_t key) const override;

  protected:
    // Inserts a KSparseArrayItem in key order; returns its key.
    int32_t Adopt(KListItem& item) override;
    void Unlink(KListItem& item) override;

  private:
    static int32_t KeyOf(const KListItem* item) {
        return static_cast<const KSparseArrayItem*>(item)->Key();
    }
    mutable KListItem* cursor_ = nullptr;
};
