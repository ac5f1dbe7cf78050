#include "KFileExtension.h"

KList& KFileExtension::Registered() {
    static KList list;
    return list;
}

void KFileExtension::Register(const KString& extension, const KString& typeName) {
    Registered().Add(new KFileExtension(extension, typeName));
}

const KFileExtension* KFileExtension::Find(const KString& extension) {
    for (KListItem* p = Registered().Head(); p; p = p->Next()) {
        auto* e = static_cast<KFileExtension*>(p);
        if (e->extension.Equals(extension)) return e;
    }
    return nullptr;
}
