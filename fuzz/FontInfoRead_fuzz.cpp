// Arbitrary bytes read as the stream form of a font info. What was read is
// written and read again: the second reading must give the same info.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "K3DFontInfo.h"
#include "KMemoryStream.h"
#include "KX.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
    K3DFontInfo info;
    try {
        info.Read(stream);
    } catch (const KX&) {
        return 0;
    }
    KMemoryStream again;
    info.Write(again);
    K3DFontInfo back;
    back.Read(again);
    if (!(back == info)) std::abort();
    return 0;
}
