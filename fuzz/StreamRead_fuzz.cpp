// Arbitrary bytes read as text in every encoding and line-end mode, and as
// persistent strings and lists. The first byte picks the settings.

#include <cstddef>
#include <cstdint>
#include <string>

#include "KList.h"
#include "KMemoryStream.h"
#include "KX.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    {
        KMemoryStream text(bytes);
        text.SetReadEncoding(data[0] & 3);
        text.SetReadLineEnd(1 + (data[0] >> 2) % 5);
        text.SetSwapBytes(data[0] & 0x80);
        KString line(31, 1 << 20);
        while (text.ReadUntil(line, KString(u"\n"), KString(u";")) >= 0) line.Empty();
        KMemoryStream out;
        out.SetWriteEncoding(data[0] & 3);
        out.WriteBOM();
        out.WriteText(line);
    }
    try {
        KMemoryStream persistent(bytes);
        KString15 small;
        small.Read(persistent);
        KList list;
        list.ReadList(
            persistent, [](const KString&) { return std::make_unique<KListItem>(); }, true);
    } catch (const KX&) {
    }
    return 0;
}
