#include "KStreamMenu.h"

void KStreamMenu::Register(std::unique_ptr<KStream> prototype) {
    InsertAt(new Stream(std::move(prototype)), 0);
}

int KStreamMenu::PortType(const KString& portSpec) {
    KString15 field;
    portSpec.Field(field, 0, u',', 0);
    int32_t type = 0;
    return field.ParseInt(&type, 10) ? type : 0;
}

std::unique_ptr<KStream> KStreamMenu::MakeStream(const KString& portSpec,
                                                 std::unique_ptr<KStream> current) const {
    const int type = PortType(portSpec);
    if (current && current->Accepts(type)) return current;
    current.reset();
    for (KListItem* p = Head(); p; p = p->Next()) {
        const KStream& prototype = *static_cast<Stream*>(p)->prototype;
        if (prototype.Accepts(type))
            return std::unique_ptr<KStream>(prototype.CopySettings(nullptr));
    }
    return std::make_unique<KStream>();
}
