#include "TPrototypes.h"

#include <memory>
#include <vector>

#include "TBitmapObject.h"
#include "TTextObject.h"
#include "TVideoDisplayObject.h"

namespace {

std::vector<std::unique_ptr<TLayoutObject>>& List() {
    static std::vector<std::unique_ptr<TLayoutObject>> list = [] {
        std::vector<std::unique_ptr<TLayoutObject>> made;
        made.emplace_back(new TTextObject);
        made.emplace_back(new TBitmapObject);
        made.emplace_back(new TVideoDisplayObject);
        for (auto& object : made) object->SetParent(nullptr, -1);
        return made;
    }();
    return list;
}

}  // namespace

int32_t TPrototypes::Count() {
    return static_cast<int32_t>(List().size());
}

const TLayoutObject* TPrototypes::At(int32_t index) {
    return index >= 0 && index < Count() ? List()[index].get() : nullptr;
}

const TLayoutObject* TPrototypes::Find(const KString& className) {
    for (const auto& object : List()) {
        KString63 name;
        name.AppendNarrow(object->ClassName());
        if (name.Equals(className)) return object.get();
    }
    return nullptr;
}
