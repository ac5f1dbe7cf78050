#pragma once

#include "KListItem.h"
#include "KString.h"
#include "TFieldStringProcessor.h"

class TFields;

// One field of a packet definition: a text field, or the header or trailer
// (whose name holds the pattern to match).
class TField : public KListItem {
  public:
    explicit TField(TFields* owner) : owner(owner) {}
    const char* ClassName() const override { return "TField"; }

    // Cuts the value out of the packet buffer from its cursor on, by length
    // or by stop sequence, and processes it; returns the extracted flag.
    bool Extract(KString& buffer);

    TFields* owner;
    KString name{31, kProcessedLimit};
    int32_t length = -1;
    KString stop{7, kProcessedLimit};
    bool extracted = false;
    KString process{31, kProcessedLimit};
    KString value{31, kProcessedLimit};
};
