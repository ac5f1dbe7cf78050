#include "KStreamMenu.h"

void KStreamMenu::Register(std::unique_ptr<KStream> prototype) {
    InsertAt(std::make_unique<KStreamPrototype>(std::move(prototype)), 0);
}

std::unique_ptr<KStream> KStreamMenu::SelectChannel(int type,
                                                    std::unique_ptr<KStream> current) const {
    if (current && current->Accepts(type)) return current;
    current.reset();
    for (const KStreamPrototype& registered : *this) {
        const KStream& prototype = *registered.prototype;
        if (prototype.Accepts(type))
            return std::unique_ptr<KStream>(prototype.CopySettings(nullptr));
    }
    return std::make_unique<KStream>();
}
