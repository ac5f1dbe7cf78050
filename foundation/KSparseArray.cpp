#include "KSparseArray.h"

int32_t KSparseArray::Adopt(KListItem& item) {
    auto* entry = dynamic_cast<KSparseArrayItem*>(&item);
    if (!entry) return -1;
    const int32_t key = entry->Key();
    if (!Head() || key > KeyOf(Tail())) {
        Link(*entry, Tail(), nullptr);
    } else if (key < KeyOf(Head())) {
        Link(*entry, nullptr, Head());
    } else {
        KListItem* p = cursor_ ? cursor_ : Head();
        while (p->Prev() && key < KeyOf(p)) p = p->Prev();
        while (p && KeyOf(p) < key) p = p->Next();
        Link(*entry, p ? p->Prev() : Tail(), p);
    }
    cursor_ = entry;
    return key;
}

int32_t KSparseArray::IndexOf(const KListItem* item) const {
    return item && item->Owner() == this ? KeyOf(item) : -1;
}

KListItem* KSparseArray::At(int32_t key) const {
    if (!Head() || key < KeyOf(Head()) || key > KeyOf(Tail())) return nullptr;
    KListItem* p = cursor_ ? cursor_ : Head();
    while (p->Next() && KeyOf(p) < key) p = p->Next();
    while (p->Prev() && key < KeyOf(p)) p = p->Prev();
    cursor_ = p;
    return KeyOf(p) == key ? p : nullptr;
}

void KSparseArray::Unlink(KListItem& item) {
    if (&item == cursor_) cursor_ = item.Next() ? item.Next() : item.Prev();
    KList::Unlink(item);
}
