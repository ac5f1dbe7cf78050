#include "KFileExtension.h"

KListOf<KFileExtension>& KFileExtension::Registered() {
    static KListOf<KFileExtension> list;
    return list;
}

void KFileExtension::Register(const KString& extension, const KString& typeName) {
    Registered().Add(std::make_unique<KFileExtension>(extension, typeName));
}

const KFileExtension* KFileExtension::Find(const KString& extension) {
    for (const KFileExtension& e : Registered())
        if (e.extension.Equals(extension)) return &e;
    return nullptr;
}
