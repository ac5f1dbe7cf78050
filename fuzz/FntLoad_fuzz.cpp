// Arbitrary bytes read as a bitmap-font file: every glyph record up to the
// first bad or short one. The glyphs kept must hold codes 0-8 only.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "K3DSportSize.h"
#include "KMemoryStream.h"
#include "KX.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KMemoryStream file(std::string(reinterpret_cast<const char*>(data), size));
    K3DSportSize fnt;
    try {
        fnt.Load(file);
    } catch (const KX&) {
        return 0;
    }
    for (int code = 0; code < 256; ++code) {
        const K3DSportGlyph* glyph = fnt.Glyph(code);
        if (!glyph) continue;
        const size_t n = static_cast<size_t>(glyph->Width()) * glyph->Height();
        for (size_t i = 0; i < n; ++i) {
            if (glyph->Codes()[i] > 8) std::abort();
        }
    }
    return 0;
}
