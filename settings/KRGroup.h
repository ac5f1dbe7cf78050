#pragma once

#include "KList.h"
#include "KRNode.h"

// A group of the settings tree; owns its children in insertion order.
class KRGroup : public KRNode {
  public:
    // groupFlags: the group shows its children in the settings editor.
    enum : uint32_t { kExpanded = 1 };

    const char* ClassName() const override { return "KRGroup"; }
    KRNode* Apply(KString& line) override;
    bool ParseType(KString& text) override;
    void AppendType(KString& out) const override;
    bool ParseValue(KString&) override { return true; }
    void AppendValue(KString&) const override {}
    void WriteLines(KStream& stream, const KString& prefix) const override;
    const char16_t* TypeName() const override { return u"Group"; }
    std::unique_ptr<KRNode> NewOfSameType() const override { return std::make_unique<KRGroup>(); }
    bool MatchesName(const KString& path) const override;

    virtual std::unique_ptr<KRGroup> NewChildGroup() const { return std::make_unique<KRGroup>(); }
    // A new value of the type with this name, or null.
    virtual std::unique_ptr<KRNode> NewChildValue(const KString& typeName) const;

    // Appends a child and returns it.
    KRNode& AddChild(std::unique_ptr<KRNode> child);
    // The node at a path below this group when it is a T, else null.
    template <typename T>
    T* Find(const char16_t* path) {
        KString at(path);
        return dynamic_cast<T*>(Apply(at));
    }

    uint32_t groupFlags = 0;
    KListOf<KRNode> children;
    KString15 className;

  private:
    // Apply without restoring the cursor.
    KRNode* ApplyHere(KString& line);
    KRNode* CreateChild(KString& line);
};
