#pragma once

#include "KList.h"
#include "KString.h"

// A registered file type: extension (without the dot) and type name, used
// for the filters of file dialogs.
class KFileExtension : public KListItem {
  public:
    KFileExtension(const KString& extension, const KString& typeName)
        : extension(extension), typeName(typeName) {}
    const char* ClassName() const override { return "KFileExtension"; }

    KString15 extension;
    KString31 typeName;

    // The program's registered types.
    static KListOf<KFileExtension>& Registered();
    // Registers a type; the list owns it.
    static void Register(const KString& extension, const KString& typeName);
    // The registration of exactly this extension, or null.
    static const KFileExtension* Find(const KString& extension);
};
