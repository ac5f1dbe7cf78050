#pragma once

#include "KList.h"
#include "KRGroup.h"
#include "KRValues.h"

// The root of the settings tree, with the prototypes of the node types
// (Group, String, Int, Rat, Bool, Float, in that order).
class KRegistry : public KRGroup {
  public:
    KRegistry();
    const char* ClassName() const override { return "KRegistry"; }

    // A new value of the named type (case ignored), or null.
    std::unique_ptr<KRNode> NewValue(const KString& typeName) const;
    // The prototype of each node type in turn, from 0; null after the last.
    const KRNode* Prototype(int32_t index) const;

    // Applies each line in turn.
    void ApplyLines(const KChar* const* lines);
    void ApplyLine(const KString& line);
    // Looks a path up without changing anything.
    KRNode* Find(const KString& path);
    KRGroup* FindGroup(const KString& path);
    KRInt* FindInt(const KString& path);
    KRString* FindString(const KString& path);
    // The text of the String at path, or an empty text.
    const KString& StringOf(const KString& path);

  private:
    KListOf<KRNode> prototypes_;
};
