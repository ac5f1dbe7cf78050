#pragma once

#include <cstdint>
#include <memory>

#include "KListItem.h"
#include "KStream.h"
#include "KString.h"

class KRGroup;

// A node of the settings tree: a group or a typed value, addressed by a
// backslash path. One text-line grammar describes every node:
// path ':' type text '=' value text.
class KRNode : public KListItem {
  public:
    enum : uint32_t { kDeleted = 1, kAssigned = 2, kPersistent = 4 };

    KRNode() = default;

    // Parses one line relative to this node; the node reached, or null. The
    // line's cursor is left where it was.
    virtual KRNode* Apply(KString& line) = 0;
    // Type text up to '=' (cursor moves there); true when its type name is
    // this node's.
    virtual bool ParseType(KString& text);
    virtual void AppendType(KString& out) const;
    // Value text, the rest of the line; true when it was accepted.
    virtual bool ParseValue(KString& text) = 0;
    virtual void AppendValue(KString& out) const = 0;
    // Writes this node's line, and its subtree, under a path prefix.
    virtual void WriteLines(KStream& stream, const KString& prefix) const;
    virtual const char16_t* TypeName() const = 0;
    virtual std::unique_ptr<KRNode> NewOfSameType() const = 0;
    // Whether a path begins with this node's name (followed as its kind needs).
    virtual bool MatchesName(const KString& path) const = 0;

    // Loads lines from a text stream (the first line is a header) and saves
    // this node's subtree with the header "Registry Version: 1.00".
    void Read(KStream& stream) override;
    void Write(KStream& stream) const override;
    // This node's subtree in the line form, paths from the root.
    void WriteAbsoluteLines(KStream& stream) const;

    bool IsPersistent() const { return (nodeFlags & kPersistent) && !(nodeFlags & kDeleted); }
    KRGroup* Parent() const { return parent; }
    // Applies the line to the root of this node's tree.
    KRNode* Root();

    KRGroup* parent = nullptr;
    KString15 name;
    int32_t typeNumber = 1;
    uint32_t nodeFlags = kPersistent;

  protected:
    // Fields 2 and 3 of a type text: the minimum and maximum of the types
    // that have them.
    virtual void ParseLimits(const KString&, const KString&) {}
    // Steps over this node's name and the terminator that follows it.
    bool StepOverName(KString& text, KChar terminator) const;
};

// A typed value; Apply parses its type and value text.
class KRValue : public KRNode {
  public:
    KRNode* Apply(KString& line) override;
    bool MatchesName(const KString& path) const override;
    // Like Apply, reporting whether the type and the value were accepted.
    void ApplyToSelf(KString& line, bool* typeAccepted, bool* valueAccepted);
};

// The text that follows in a path is a name character: a letter (accented
// Latin-1 letters included), a digit or '_'.
bool KRIsNameChar(KChar c);
