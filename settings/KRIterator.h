#pragma once

#include <cstdint>

#include "KRGroup.h"

// The rows of a settings list: the visible nodes under a group, in pre-order.
// The group itself is not a row; its children are the top rows (depth 0), and
// a group's children are rows only while the group is expanded. Rows are
// found from a cached position, so walking them in order is linear. After any
// change to the tree or to an expansion, Recount() before asking for rows.
class KRIterator {
  public:
    explicit KRIterator(KRGroup& group) : group_(group) { Recount(); }

    // Walks all rows again; the number of rows.
    int32_t Recount();
    int32_t Count() const { return count_; }
    // The node of a row, or null outside 0 .. Count() - 1.
    KRNode* At(int32_t index);
    // How many groups lie between the node and the walked group.
    int32_t DepthOf(const KRNode* node) const;

  private:
    KRNode* First() const { return group_.children.Head(); }
    KRNode* Next(const KRNode* node) const;

    KRGroup& group_;
    int32_t count_ = 0;
    KRNode* cached_ = nullptr;
    int32_t cachedIndex_ = 0;
};
