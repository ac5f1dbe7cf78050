#include "K3DFontInfo.h"

#include <algorithm>

#include "K3DFont.h"
#include "K3DFonts.h"
#include "KStream.h"
#include "KX.h"

namespace {

constexpr int32_t kDefaultSize = 34;
constexpr uint32_t kOldVersion = 0x30005;
constexpr uint32_t kFirstVersion = 0x1000B;

K3DFont* NamedFont(const KString& name) {
    K3DFonts* fonts = K3DFonts::Current();
    return fonts ? fonts->Find(name) : nullptr;
}

}  // namespace

K3DFontInfo::K3DFontInfo() {
    const K3DFont* font = NamedFont(faceName_);
    size_ = font ? font->DefaultSize() : kDefaultSize;
}

K3DFontInfo::K3DFontInfo(const K3DFontInfo& other) {
    *this = other;
}

K3DFontInfo& K3DFontInfo::operator=(const K3DFontInfo& other) {
    faceName_ = other.faceName_;
    size_ = other.size_;
    widthPercent_ = other.widthPercent_;
    squeeze_ = other.squeeze_;
    squeezeMinimum_ = other.squeezeMinimum_;
    face = other.face;
    border = other.border;
    shadow = other.shadow;
    back = other.back;
    borderSize = other.borderSize;
    shadowSize = other.shadowSize;
    textHandling = other.textHandling;
    charWidth_ = -1;
    return *this;
}

bool K3DFontInfo::operator==(const K3DFontInfo& other) const {
    return faceName_.Equals(other.faceName_) && size_ == other.size_ &&
           widthPercent_ == other.widthPercent_ && squeeze_ == other.squeeze_ &&
           squeezeMinimum_ == other.squeezeMinimum_ && face == other.face &&
           border == other.border && shadow == other.shadow && back == other.back &&
           borderSize == other.borderSize && shadowSize == other.shadowSize &&
           textHandling == other.textHandling;
}

void K3DFontInfo::SetFaceName(const KString& name) {
    faceName_ = name;
    charWidth_ = -1;
    if (const K3DFont* font = NamedFont(faceName_)) {
        if (!font->IsValidSize(size_)) size_ = font->DefaultSize();
    }
}

int32_t K3DFontInfo::CheckedSize(int32_t size) const {
    const K3DFont* font = NamedFont(faceName_);
    return !font || font->IsValidSize(size) ? size : size_;
}

void K3DFontInfo::SetSize(int32_t size) {
    size_ = CheckedSize(std::clamp(size, 10, 999));
    charWidth_ = -1;
}

void K3DFontInfo::SetWidthPercent(int32_t percent) {
    widthPercent_ = std::clamp(percent, 1, 200);
    charWidth_ = -1;
}

void K3DFontInfo::SetSqueeze(bool on) {
    squeeze_ = on;
    charWidth_ = -1;
}

void K3DFontInfo::SetSqueezeMinimum(int32_t percent) {
    squeezeMinimum_ = std::clamp(percent, 0, 100);
    charWidth_ = -1;
}

void K3DFontInfo::Write(KStream& stream) const {
    stream.PutInt32(kVersion);
    stream.PutInt32(size_);
    KWriteColor(stream, face);
    KWriteColor(stream, border);
    KWriteColor(stream, shadow);
    faceName_.Write(stream);
    KWriteColor(stream, back);
    stream.PutInt32(squeeze_ ? 1 : 0);
    stream.PutInt32(squeezeMinimum_);
    stream.PutInt32(widthPercent_);
}

void K3DFontInfo::Read(KStream& stream) {
    uint32_t version = stream.GetUInt32();
    if (version == kOldVersion) version = kFirstVersion;
    if (version < kFirstVersion || version > kVersion) throw KXPersistent(kErrFileVersion);
    // The values go through the setters, so the clamps and the size check of
    // the named font hold for whatever the file says.
    const int32_t size = stream.GetInt32();
    face = KReadColor(stream);
    border = KReadColor(stream);
    shadow = KReadColor(stream);
    KString31 name(faceName_);
    if (version >= 0x1000C) name.Read(stream);
    if (version >= 0x1000D) back = KReadColor(stream);
    if (version >= 0x1000E) {
        SetSqueeze(stream.GetInt32() != 0);
        SetSqueezeMinimum(stream.GetInt32());
    }
    if (version >= 0x1000F) SetWidthPercent(stream.GetInt32());
    SetFaceName(name);
    SetSize(size);
}
