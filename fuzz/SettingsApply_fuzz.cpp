// Arbitrary bytes as settings lines applied to the default tree, then as a
// configuration file read in every encoding, then the tree written out.

#include <cstddef>
#include <cstdint>
#include <string>

#include "KMemoryStream.h"
#include "KUtf8.h"
#include "TDefaultSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static KRegistry* registry = [] {
        auto* r = new KRegistry;
        ApplyDefaultSettings(*r);
        return r;
    }();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    KString line(63, 1 << 16);
    size_t from = 0;
    while (from < bytes.size()) {
        size_t end = bytes.find('\n', from);
        if (end == std::string::npos) end = bytes.size();
        line.Empty();
        KAppendUtf8(line, bytes.data() + from, end - from);
        KRegistry scratch;
        scratch.ApplyLine(line);
        registry->Find(line);
        from = end + 1;
    }
    KRegistry file;
    ApplyDefaultSettings(file);
    KMemoryStream in(bytes);
    file.Read(in);
    KMemoryStream out;
    file.Write(out);
    return 0;
}
