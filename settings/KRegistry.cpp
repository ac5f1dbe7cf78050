#include "KRegistry.h"

namespace {

class PrototypeItem : public KListItem {
  public:
    explicit PrototypeItem(KRNode* node) : node(node) {}
    ~PrototypeItem() override { delete node; }
    KRNode* node;
};

}  // namespace

KRegistry::KRegistry() {
    for (KRNode* p : std::initializer_list<KRNode*>{new KRGroup, new KRString, new KRInt, new KRRat,
                                                    new KRBool, new KRFloat})
        prototypes_.Add(new PrototypeItem(p));
}

KRNode* KRegistry::NewValue(const KString& typeName) const {
    for (KListItem* p = prototypes_.Head(); p; p = p->Next()) {
        const KRNode* prototype = static_cast<PrototypeItem*>(p)->node;
        if (dynamic_cast<const KRGroup*>(prototype))
            continue;  // a group needs its own kind of line
        if (typeName.EqualsIgnoreCase(KString(prototype->TypeName())))
            return prototype->NewOfSameType();
    }
    return nullptr;
}

const KRNode* KRegistry::Prototype(int32_t index) const {
    const KListItem* item = prototypes_.At(index);
    return item ? static_cast<const PrototypeItem*>(item)->node : nullptr;
}

void KRegistry::ApplyLines(const KChar* const* lines) {
    for (; *lines; ++lines) ApplyLine(KString(*lines));
}

void KRegistry::ApplyLine(const KString& line) {
    KString copy(line.Chars(), line.Length());
    Apply(copy);
}

KRNode* KRegistry::Find(const KString& path) {
    if (path.Find(u':') >= 0) return nullptr;
    KString copy(path.Chars(), path.Length());
    return Apply(copy);
}

KRGroup* KRegistry::FindGroup(const KString& path) {
    return dynamic_cast<KRGroup*>(Find(path));
}
KRInt* KRegistry::FindInt(const KString& path) {
    return dynamic_cast<KRInt*>(Find(path));
}
KRString* KRegistry::FindString(const KString& path) {
    return dynamic_cast<KRString*>(Find(path));
}

const KString& KRegistry::StringOf(const KString& path) {
    static const KString empty(u"");
    const KRString* s = FindString(path);
    return s ? s->value : empty;
}
