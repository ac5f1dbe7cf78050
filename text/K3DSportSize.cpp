#include "K3DSportSize.h"

void K3DSportSize::Load(KStream& stream) {
    while (std::unique_ptr<K3DSportGlyph> glyph = K3DSportGlyph::ReadRecord(stream)) {
        delete glyphs_.At(glyph->Key());
        glyphs_.Add(std::move(glyph));
    }
    const K3DSportGlyph* space = Glyph(' ');
    SetKey(space ? space->Height() : 0);
}
