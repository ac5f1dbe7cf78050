// Arbitrary bytes read as a layout file. A layout that reads is written, read
// again and written again: both writings must be the same bytes. Pictures of
// bitmap objects are looked for in an empty folder.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "KMemoryStream.h"
#include "KX.h"
#include "TLayout.h"
#include "TLayoutSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool folderSet = [] {
        char pattern[] = "/tmp/tessaron-fuzz-XXXXXX";
        KString folder;
        folder.AppendNarrow(mkdtemp(pattern));
        TLayoutSettings::SetApplicationFolder(folder);
        return true;
    }();
    (void)folderSet;
    KMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    TLayout layout;
    try {
        layout.Read(stream);
    } catch (const KX&) {
        return 0;
    }
    KMemoryStream first;
    layout.Write(first);
    TLayout back;
    KMemoryStream again(first.Bytes());
    back.Read(again);
    KMemoryStream second;
    back.Write(second);
    if (second.Bytes() != first.Bytes()) std::abort();
    return 0;
}
