#include "KRegistry.h"

KRegistry::KRegistry() {
    prototypes_.Add(std::make_unique<KRGroup>());
    prototypes_.Add(std::make_unique<KRString>());
    prototypes_.Add(std::make_unique<KRInt>());
    prototypes_.Add(std::make_unique<KRRat>());
    prototypes_.Add(std::make_unique<KRBool>());
    prototypes_.Add(std::make_unique<KRFloat>());
}

std::unique_ptr<KRNode> KRegistry::NewValue(const KString& typeName) const {
    for (const KRNode& prototype : prototypes_) {
        if (dynamic_cast<const KRGroup*>(&prototype))
            continue;  // a group needs its own kind of line
        if (typeName.EqualsIgnoreCase(KString(prototype.TypeName())))
            return prototype.NewOfSameType();
    }
    return nullptr;
}

const KRNode* KRegistry::Prototype(int32_t index) const {
    return prototypes_.At(index);
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
