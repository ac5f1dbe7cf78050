#include "KStreamMenu.h"

void KStreamMenu::Register(std::unique_ptr<KStream> prototype) {
    InsertAt(new Stream(std::move(prototype)), 0);
}

std::unique_ptr<KStream> KStreamMenu::SelectChannel(int type,
                                                    std::unique_ptr<KStream> current) const {
    if (current && current->Accepts(type)) return current;
    current.reset();
    for (KListItem* p = Head(); p; p = p->Next()) {
        const KStream& prototype = *static_cast<Stream*>(p)->prototype;
        if (prototype.Accepts(type))
            return std::unique_ptr<KStream>(prototype.CopySettings(nullptr));
    }
    return std::make_unique<KStream>();
}
