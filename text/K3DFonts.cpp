#include "K3DFonts.h"

#include <fontconfig/fontconfig.h>

#include "K3DSportFont.h"
#include "K3DSystemFont.h"
#include "KLog.h"
#include "KRegistry.h"
#include "KUtf8.h"

namespace {

K3DFonts* current = nullptr;

// Families the layouts of the home platform name, and the installed
// families with the same metrics.
struct Alias {
    const char16_t* name;
    const char16_t* family;
};
constexpr Alias kAliases[] = {
    {u"Arial", u"Liberation Sans"},
    {u"Times New Roman", u"Liberation Serif"},
    {u"Courier New", u"Liberation Mono"},
};

KString FromUtf8(const FcChar8* text) {
    KString s(63, 1023);
    KAppendUtf8(s, reinterpret_cast<const char*>(text));
    return s;
}

}  // namespace

K3DFonts::K3DFonts(KRegistry& settings, const std::string& folder, KLog* log)
    : log_(log),
      drawText_(settings.FindInt(KString(u"\\Display\\DrawText"))),
      enable_(settings.FindInt(KString(u"\\Display\\AntiAlias\\Enable"))),
      bgLight_(settings.FindInt(KString(u"\\Display\\AntiAlias\\BGLight"))) {
    current = this;
    auto internal = std::make_unique<K3DSportFont>();
    K3DSportFont& bitmapFont = *internal;
    Add(std::move(internal));
    bitmapFont.LoadFolder(folder);
    colors_.Load(settings);
    if (FT_Init_FreeType(&library_) != 0) {
        library_ = nullptr;
        LogError("K3DFonts: FreeType did not start");
    }
    config_ = FcInitLoadConfigAndFonts();
    EnumerateFamilies();
}

K3DFonts::~K3DFonts() {
    // The fonts close their faces before the library goes.
    Clear();
    if (library_) FT_Done_FreeType(library_);
    if (config_) FcConfigDestroy(config_);
    if (current == this) current = nullptr;
}

K3DFonts* K3DFonts::Current() {
    return current;
}

void K3DFonts::EnumerateFamilies() {
    if (!config_) return;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_OUTLINE, nullptr);
    FcFontSet* set = FcFontList(config_, pattern, objects);
    for (int i = 0; set && i < set->nfont; ++i) {
        FcChar8* family = nullptr;
        FcBool outline = FcFalse;
        if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch) continue;
        FcPatternGetBool(set->fonts[i], FC_OUTLINE, 0, &outline);
        if (outline) InsertFamily(FromUtf8(family));
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
}

void K3DFonts::InsertFamily(const KString& name) {
    if (name.IsEmpty()) return;
    // After the internal font, in case-insensitive order; a name that equals
    // another but for case goes after it, an exact repeat is dropped.
    K3DFont* before = Next(*Head());
    for (; before; before = Next(*before)) {
        const KString& other = before->Name();
        if (other.Equals(name)) return;
        if (other.Compare(name, -1, KString::kIgnoreCase) > 0) break;
    }
    auto font = std::make_unique<K3DSystemFont>(name);
    if (before) {
        InsertBefore(std::move(font), before);
    } else {
        Add(std::move(font));
    }
}

K3DFont* K3DFonts::Find(const KString& name) {
    if (lastFound_ && lastFound_->Name().Equals(name)) return lastFound_;
    for (K3DFont& font : *this)
        if (font.Name().Equals(name)) return lastFound_ = &font;
    for (const Alias& alias : kAliases) {
        if (!name.Equals(KString(alias.name))) continue;
        for (K3DFont& font : *this)
            if (font.Name().Equals(KString(alias.family))) return &font;
    }
    return nullptr;
}

bool K3DFonts::Fit(KString& text, K3DFontInfo& info, int32_t* maxWidth, K3DFontOptimize* optimize) {
    K3DFont* font = Find(info.FaceName());
    return font && font->Fit(text, info, maxWidth, optimize);
}

bool K3DFonts::Draw(const KString& text, K3DFontInfo& info, K3DGlyphSink sink, void* user,
                    K3DFontOptimize* optimize) {
    K3DFont* font = Find(info.FaceName());
    return font && font->Draw(text, info, sink, user, optimize);
}

bool K3DFonts::Measure(const KString& text, K3DFontInfo& info, KPoint* extent) {
    K3DFont* font = Find(info.FaceName());
    return font && font->Measure(text, info, extent);
}

int32_t K3DFonts::DrawTextMode() const {
    return drawText_ ? drawText_->value : 0;
}

std::unique_ptr<K3DTypeface> K3DFonts::OpenTypeface(const KString& family) {
    if (!config_ || !library_) return nullptr;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(KUtf8Of(family).c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(config_, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return nullptr;
    FcChar8* file = nullptr;
    int index = 0, weight = FC_WEIGHT_REGULAR;
    std::unique_ptr<K3DTypeface> face;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        face = std::make_unique<K3DTypeface>(library_, reinterpret_cast<const char*>(file), index,
                                             weight < FC_WEIGHT_DEMIBOLD);
    }
    FcPatternDestroy(match);
    return face;
}

void K3DFonts::LogError(const char* message) {
    if (!log_) return;
    KString text(63, 255);
    text.AppendNarrow(message);
    log_->Write(text, u'E');
}
