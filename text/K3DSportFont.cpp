#include "K3DSportFont.h"

#include <memory>

#include "K3DFonts.h"
#include "KFile.h"
#include "KFileInfo.h"
#include "KUtf8.h"

int32_t K3DSportFont::DefaultSize() const {
    const K3DSportSize* size = sizes_.Head();
    if (size && size->Next()) size = sizes_.Next(*size);
    return size ? size->Key() : 0;
}

int32_t K3DSportFont::SizeAt(int32_t index) const {
    const K3DSportSize* size = sizes_.Head();
    for (int32_t i = 0; size && i < index; ++i) size = sizes_.Next(*size);
    return size && index >= 0 ? size->Key() : 0;
}

void K3DSportFont::LoadFolder(const std::string& folder) {
    KFile pattern;
    KString path(63, KFile::kMaxPath);
    KAppendUtf8(path, folder + "/*.fnt");
    pattern.SetPath(path);
    KFileInfo found;
    while (found.FindNext(pattern)) LoadFile(folder + "/" + KUtf8Of(found.name));
}

void K3DSportFont::LoadFile(const std::string& path) {
    KString name(63, KFile::kMaxPath);
    KAppendUtf8(name, path);
    KFile file(name);
    if (file.TryOpen(KFile::kRead | KFile::kRegularOnly, false) != 0) return;
    auto size = std::make_unique<K3DSportSize>();
    size->Load(file);
    if (size->Key() <= 0) return;
    // Two files of one height: the later one replaces the earlier.
    delete sizes_.At(size->Key());
    sizes_.Add(std::move(size));
}

bool K3DSportFont::CharGlyph(KChar c, K3DFontInfo& info, K3DGlyph* glyph, KPoint* extent) {
    const K3DSportSize* size = sizes_.At(info.Size());
    const K3DSportGlyph* stored = size && c < 256 ? size->Glyph(c) : nullptr;
    if (!stored) return false;
    *extent = KPoint{stored->Width(), stored->Height()};
    if (!glyph) return true;
    K3DFonts* fonts = Fonts();
    const size_t count = static_cast<size_t>(stored->Width()) * stored->Height();
    if (!fonts || !fonts->Pixels().Ensure(count)) return false;
    const KColorTable& colors = fonts->Colors();
    uint32_t palette[9];
    palette[0] = colors.Pixel(info.back);
    palette[1] = colors.Pixel(info.face);
    for (int k = 1; k <= 5; ++k) palette[1 + k] = colors.Pixel(colors.Darkened(info.face, k));
    palette[7] = colors.Pixel(info.border);
    palette[8] = colors.Pixel(info.shadow);
    uint32_t* out = fonts->Pixels().Data();
    const uint8_t* codes = stored->Codes();
    for (size_t i = 0; i < count; ++i) out[i] = palette[codes[i]];
    *glyph = K3DGlyph{out};
    return true;
}
