#include "KList.h"

#include "KAssert.h"
#include "KStream.h"
#include "KString.h"
#include "KX.h"

KListItem::~KListItem() {
    if (owner_) owner_->Unlink(*this);
}

int32_t KListItem::IndexInOwner() const {
    return owner_ ? owner_->IndexOf(this) : -1;
}

KListItem* KList::Free(std::unique_ptr<KListItem>& item) {
    if (!item) return nullptr;
    if (item->owner_) {
        K_ASSERT(!"an item handed to a list belongs to a list");
        (void)item.release();
        return nullptr;
    }
    return item.get();
}

void KList::Link(KListItem& item, KListItem* prev, KListItem* next) {
    K_ASSERT(!item.owner_);
    item.owner_ = this;
    item.prev_ = prev;
    item.next_ = next;
    (prev ? prev->next_ : head_) = &item;
    (next ? next->prev_ : tail_) = &item;
    ++count_;
}

void KList::Unlink(KListItem& item) {
    (item.prev_ ? item.prev_->next_ : head_) = item.next_;
    (item.next_ ? item.next_->prev_ : tail_) = item.prev_;
    item.owner_ = nullptr;
    item.next_ = item.prev_ = nullptr;
    --count_;
}

int32_t KList::Adopt(KListItem& item) {
    Link(item, tail_, nullptr);
    return count_ - 1;
}

int32_t KList::Add(std::unique_ptr<KListItem> item) {
    KListItem* free = Free(item);
    if (!free) return -1;
    const int32_t index = Adopt(*free);
    if (index >= 0) (void)item.release();
    return index;
}

int32_t KList::IndexOf(const KListItem* item) const {
    int32_t i = 0;
    for (const KListItem* p = head_; p; p = p->next_, ++i)
        if (p == item) return i;
    return -1;
}

KListItem* KList::At(int32_t index) const {
    if (index < 0 || index >= count_) return nullptr;
    KListItem* p = head_;
    while (index-- > 0) p = p->next_;
    return p;
}

std::unique_ptr<KListItem> KList::Remove(KListItem* item) {
    if (!item || item->owner_ != this) return nullptr;
    Unlink(*item);
    return std::unique_ptr<KListItem>(item);
}

int32_t KList::InsertAt(std::unique_ptr<KListItem> item, int32_t index) {
    KListItem* free = Free(item);
    if (!free) return -1;
    (void)item.release();
    if (index < 0 || index >= count_) {
        Link(*free, tail_, nullptr);
        return count_ - 1;
    }
    KListItem* at = At(index);
    Link(*free, at->prev_, at);
    return index;
}

void KList::InsertBefore(std::unique_ptr<KListItem> item, KListItem* other) {
    if (other && other->owner_ != this) return;
    KListItem* free = Free(item);
    if (!free) return;
    (void)item.release();
    if (!other) other = head_;
    Link(*free, other ? other->prev_ : nullptr, other);
}

void KList::InsertAfter(std::unique_ptr<KListItem> item, KListItem* other) {
    if (other && other->owner_ != this) return;
    KListItem* free = Free(item);
    if (!free) return;
    (void)item.release();
    if (!other) other = tail_;
    Link(*free, other, other ? other->next_ : nullptr);
}

void KList::Clear() {
    while (head_) Delete(head_);
}

void KList::WriteList(KStream& stream, bool withClassNames) const {
    stream.PutInt32(static_cast<int32_t>(kTag));
    stream.PutInt32(count_);
    for (const KListItem* p = head_; p; p = p->next_) {
        if (withClassNames) {
            KString63 name;
            name.AppendNarrow(p->ClassName());
            name.Write(stream);
        }
        p->Write(stream);
    }
}

void KList::ReadList(KStream& stream, const KItemFactory& factory, bool withClassNames) {
    Clear();
    if (stream.GetUInt32() != kTag) throw KXPersistent();
    const int32_t count = stream.GetInt32();
    if (count < 0) throw KXPersistent();
    KString63 name;
    for (int32_t i = 0; i < count; ++i) {
        name.Empty();
        if (withClassNames) name.Read(stream);
        std::unique_ptr<KListItem> made = factory(name);
        KListItem* item = made.get();
        if (Add(std::move(made)) < 0) throw KXPersistent();
        item->Read(stream);
    }
}
