#include "KRIterator.h"

int32_t KRIterator::Recount() {
    count_ = 0;
    for (KRNode* p = First(); p; p = Next(p)) ++count_;
    cached_ = First();
    cachedIndex_ = 0;
    return count_;
}

KRNode* KRIterator::At(int32_t index) {
    if (index < 0 || index >= count_) return nullptr;
    if (index < cachedIndex_) {
        cached_ = First();
        cachedIndex_ = 0;
    }
    for (; cachedIndex_ < index; ++cachedIndex_) cached_ = Next(cached_);
    return cached_;
}

int32_t KRIterator::DepthOf(const KRNode* node) const {
    int32_t depth = 0;
    for (const KRGroup* p = node->Parent(); p && p != &group_; p = p->Parent()) ++depth;
    return depth;
}

KRNode* KRIterator::Next(const KRNode* node) const {
    const auto* group = dynamic_cast<const KRGroup*>(node);
    if (group && (group->groupFlags & KRGroup::kExpanded) && group->children.Head())
        return group->children.Head();
    for (const KRNode* p = node; p && p != &group_; p = p->Parent()) {
        if (KRNode* next = KListOf<KRNode>::Next(*p)) return next;
    }
    return nullptr;
}
