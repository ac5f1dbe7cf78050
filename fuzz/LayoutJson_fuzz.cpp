// Arbitrary bytes parsed as a layout in JSON. A layout that reads is turned
// into JSON and read again: both must give the same layout file bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "KMemoryStream.h"
#include "TLayout.h"
#include "TLayoutJson.h"

namespace {

std::string FileBytes(const TLayout& layout) {
    KMemoryStream stream;
    layout.Write(stream);
    return stream.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TLayoutJson::Json document = TLayoutJson::Json::parse(data, data + size, nullptr, false);
    if (document.is_discarded()) return 0;
    TLayout layout;
    try {
        TLayoutJson::FromJson(document, layout);
    } catch (const TLayoutJsonError&) {
        return 0;
    }
    TLayout back;
    TLayoutJson::FromJson(TLayoutJson::ToJson(layout, TLayout::kVersion), back);
    if (FileBytes(back) != FileBytes(layout)) std::abort();
    return 0;
}
