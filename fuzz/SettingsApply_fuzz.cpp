// Arbitrary bytes as settings lines applied and looked up, then as a
// configuration file read over the default tree, which is then written out.

#include <cstddef>
#include <cstdint>
#include <string>

#include "KMemoryStream.h"
#include "KUtf8.h"
#include "TDefaultSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    KRegistry lines;
    lines.ApplyLine(KString(u"Display\\:="));
    lines.ApplyLine(KString(u"Display\\Width:Int,1,0,100=5"));
    KString line(63, 1 << 16);
    for (size_t from = 0; from < bytes.size();) {
        size_t end = bytes.find('\n', from);
        if (end == std::string::npos) end = bytes.size();
        line.Empty();
        KAppendUtf8(line, bytes.data() + from, end - from);
        lines.ApplyLine(line);
        lines.Find(line);
        from = end + 1;
    }
    KRegistry file;
    ApplyDefaultSettings(file);
    KMemoryStream in(bytes);
    file.Read(in);
    KMemoryStream out;
    file.Write(out);
    lines.Write(out);
    return 0;
}
