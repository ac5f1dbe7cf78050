#include "KList.h"

#include "KAssert.h"
#include "KStream.h"
#include "KString.h"
#include "KX.h"

KListItem::~KListItem() {
    if (owner_) owner_->Remove(this);
}

int32_t KListItem::IndexInOwner() const {
    return owner_ ? owner_->IndexOf(this) : -1;
}

void KList::Link(KListItem* item, KListItem* prev, KListItem* next) {
    K_ASSERT(Insertable(item));
    item->owner_ = this;
    item->prev_ = prev;
    item->next_ = next;
    (prev ? prev->next_ : head_) = item;
    (next ? next->prev_ : tail_) = item;
    ++count_;
}

int32_t KList::Add(KListItem* item) {
    if (!Insertable(item)) return -1;
    Link(item, tail_, nullptr);
    return count_ - 1;
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

KListItem* KList::Remove(KListItem* item) {
    if (!item || item->owner_ != this) return nullptr;
    (item->prev_ ? item->prev_->next_ : head_) = item->next_;
    (item->next_ ? item->next_->prev_ : tail_) = item->prev_;
    item->owner_ = nullptr;
    item->next_ = item->prev_ = nullptr;
    --count_;
    return item;
}

void KList::TakeAll(KList& other) {
    if (&other == this) return;
    while (KListItem* item = other.head_) Add(other.Remove(item));
}

void KList::Reset() {
    count_ = 0;
    head_ = tail_ = nullptr;
}

int32_t KList::InsertAt(KListItem* item, int32_t index) {
    if (!Insertable(item)) return -1;
    if (index < 0 || index >= count_) {
        Link(item, tail_, nullptr);
        return count_ - 1;
    }
    KListItem* at = At(index);
    Link(item, at->prev_, at);
    return index;
}

void KList::InsertBefore(KListItem* item, KListItem* other) {
    if (!Insertable(item) || (other && other->owner_ != this)) return;
    if (!other) other = head_;
    Link(item, other ? other->prev_ : nullptr, other);
}

void KList::InsertAfter(KListItem* item, KListItem* other) {
    if (!Insertable(item) || (other && other->owner_ != this)) return;
    if (!other) other = tail_;
    Link(item, other, other ? other->next_ : nullptr);
}

void KList::Delete(KListItem* item) {
    if (Remove(item)) delete item;
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
        KListItem* item = factory(name);
        if (!item) throw KXPersistent();
        Add(item);
        item->Read(stream);
    }
}
