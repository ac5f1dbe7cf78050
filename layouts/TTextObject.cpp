#include "TTextObject.h"

#include <algorithm>

#include "KStream.h"
#include "KX.h"
#include "TField.h"
#include "TLayoutSettings.h"
#include "TValueFormat.h"

namespace {

constexpr uint32_t kFirstVersion = 0x30007;

}  // namespace

TTextObject::TTextObject() {
    text_.AppendNarrow("%s");
    flags_ = kDynamic;
    width_ = 150;
    height_ = TextHeight();
}

void TTextObject::CopyFrom(const TLayoutObject& other) {
    TLayoutObject::CopyFrom(other);
    const auto* text = dynamic_cast<const TTextObject*>(&other);
    if (!text) return;
    font_ = text->font_;
    justification_ = text->justification_;
    lines_ = text->lines_;
    lineSpace_ = text->lineSpace_;
    text_ = text->text_;
    value_ = text->value_;
}

bool TTextObject::GetLabel(KString& text) const {
    if (TLayoutObject::GetLabel(text)) return true;
    text.Append(text_);
    return true;
}

bool TTextObject::GetTypeInfo(KString& text) const {
    text.Append(TLayoutSettings::Get(TLayoutSettings::kTextType));
    return true;
}

int32_t TTextObject::TextHeight() const {
    const int64_t size = font_.Size();
    const int64_t height = size * lines_ + std::max<int64_t>(lineSpace_, -size) * (lines_ - 1);
    return static_cast<int32_t>(std::clamp<int64_t>(height, INT32_MIN, INT32_MAX));
}

bool TTextObject::SetSize(int32_t width, int32_t height) {
    return StoreSize(width, TextHeight());
}

void TTextObject::SetValue(const TField* field) {
    value_.Empty();
    if (field) value_.Append(field->value);
    RequestRedraw();
}

bool TTextObject::SetFont(const K3DFontInfo& font) {
    if (font == font_) return false;
    font_ = font;
    ApplySize();
    Send(kMessageObject);
    return true;
}

bool TTextObject::SetJustification(int32_t justification) {
    if (justification == justification_) return false;
    justification_ = justification;
    Send(kMessageObject);
    return true;
}

bool TTextObject::SetLines(int32_t lines) {
    lines = std::clamp(lines, 1, kMaxLines);
    if (lines == lines_) return false;
    lines_ = lines;
    ApplySize();
    Send(kMessageObject);
    return true;
}

bool TTextObject::SetLineSpace(int32_t space) {
    if (space == lineSpace_) return false;
    lineSpace_ = space;
    ApplySize();
    Send(kMessageObject);
    return true;
}

bool TTextObject::SetText(const KString& text) {
    if (text.Equals(text_)) return false;
    text_ = text;
    Send(kMessageObject);
    return true;
}

void TTextObject::GetDrawnText(KString& out) const {
    if (IsVisible()) TAppendValueFormat(out, text_, value_);
}

void TTextObject::Rescale(KSize from, KSize to) {
    K3DFontInfo font(font_);
    font.SetSize(static_cast<int32_t>(int64_t{font.Size()} * to.height / from.height));
    SetFont(font);
    TLayoutObject::Rescale(from, to);
}

void TTextObject::Write(KStream& stream) const {
    TLayoutObject::Write(stream);
    stream.PutInt32(kVersion);
    font_.Write(stream);
    stream.PutInt32(justification_);
    text_.Write(stream);
    value_.Write(stream);
    stream.PutInt32(lines_);
    stream.PutInt32(lineSpace_);
}

void TTextObject::Read(KStream& stream) {
    TLayoutObject::Read(stream);
    const uint32_t version = stream.GetUInt32();
    if (version < kFirstVersion || version > kVersion) throw KXPersistent(kErrFileVersion);
    font_.Read(stream);
    justification_ = stream.GetInt32();
    text_.Read(stream);
    value_.Read(stream);
    lines_ = 1;
    lineSpace_ = 0;
    if (version == kFirstVersion) return;
    lines_ = std::clamp(stream.GetInt32(), 1, kMaxLines);
    lineSpace_ = stream.GetInt32();
}
