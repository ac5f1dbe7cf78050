#include "KColorTable.h"

#include "KRegistry.h"
#include "KStream.h"
#include "KX.h"

namespace {

constexpr uint32_t kColorTag = 0x1000A;
constexpr uint32_t kOldColorTag = 0x30006;

constexpr uint32_t kBuiltIn[KColorTable::kCount] = {
    0x000000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0xFF0000,
    0x00FF00, 0x0000FF, 0x00FFFF, 0xFF00FF, 0xFFFF00,
};

// Replaces the components of rgb that the "R,G,B" text gives as 0-255.
uint32_t ApplyComponents(uint32_t rgb, const KString& text) {
    KString field(15, 255);
    int32_t from = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        field.Empty();
        if (!text.NextField(field, &from)) break;
        int32_t value;
        if (field.ParseInt(&value, 0) && value >= 0 && value <= 255)
            rgb = (rgb & ~(0xFFu << shift)) | static_cast<uint32_t>(value) << shift;
    }
    return rgb;
}

}  // namespace

void KWriteColor(KStream& stream, KColor c) {
    stream.PutInt32(kColorTag);
    stream.PutInt32(static_cast<int32_t>(c));
}

KColor KReadColor(KStream& stream) {
    const uint32_t tag = stream.GetUInt32();
    if (tag != kColorTag && tag != kOldColorTag) throw KXPersistent(kErrFileVersion);
    return stream.GetUInt32();
}

const char16_t* const KColorTable::kNames[kCount] = {
    u"Background", u"White", u"LightGray", u"DarkGray", u"Black",  u"Red",
    u"Green",      u"Blue",  u"Cyan",      u"Magenta",  u"Yellow",
};

KColorTable::KColorTable() {
    for (int i = 0; i < kCount; ++i) rgb_[i] = kBuiltIn[i];
}

void KColorTable::Load(KRegistry& settings) {
    KString path(31, 63);
    for (int i = 0; i < kCount; ++i) {
        path.Empty();
        path.Append(u"\\Display\\Colors\\").AppendInt(i);
        if (KRString* entry = settings.FindString(path))
            rgb_[i] = ApplyComponents(rgb_[i], entry->value);
    }
}

uint32_t KColorTable::Rgb(KColor c) const {
    if (c & kColorDirect) return c & 0xFFFFFF;
    return IsTransparent(c) ? 0 : rgb_[c];
}

KColor KColorTable::Darkened(KColor c, int eighths) const {
    if (IsTransparent(c)) return kColorBackground;
    const uint32_t rgb = Rgb(c);
    KColor out = kColorDirect;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int v = static_cast<int>(rgb >> shift & 0xFF);
        out |= static_cast<uint32_t>(v - v * eighths / 8) << shift;
    }
    return out;
}

void KColorTable::DisplayName(KRegistry& settings, int index, KString& out) {
    KRGroup* names = settings.FindGroup(KString(u"\\Strings\\Colors\\"));
    if (!names || index < 0) return;
    auto* node = dynamic_cast<KRString*>(names->children.At(index));
    if (node) out.Append(node->value);
}
