#include "TVideoDisplayObject.h"

#include "K3DFonts.h"
#include "KStream.h"
#include "KX.h"
#include "TField.h"
#include "TLayoutSettings.h"

namespace {

bool tracking = false;

}  // namespace

TVideoDisplayObject::TVideoDisplayObject()
    : display_(K3DFonts::Current(), TLayoutSettings::ApplicationFolder()) {
    flags_ = kDynamic;
    SetField(KString(u"Video Display Data"));
}

void TVideoDisplayObject::Notify(const KMessage& message) {
    if (message.code == kMessageBeforeSwap) {
        display_.Release();
        memory_.Release();
    } else if (message.code == kMessageAfterSwap) {
        SetUp();
    }
    TLayoutObject::Notify(message);
}

void TVideoDisplayObject::CopyFrom(const TLayoutObject& other) {
    TLayoutObject::CopyFrom(other);
    const auto* video = dynamic_cast<const TVideoDisplayObject*>(&other);
    if (!video) return;
    rotate_ = video->rotate_;
    blackTransparent_ = video->blackTransparent_;
    if (Parent()) SetUp();
}

void TVideoDisplayObject::SetUp() {
    const bool possible = width_ >= 1 && width_ <= KVideoBuffer::kMaxSide && height_ >= 1 &&
                          height_ <= KVideoBuffer::kMaxSide;
    const int64_t bytes = possible ? int64_t{width_} * height_ * 4 : 0;
    if (!memory_.Take(bytes, "TVideoDisplayObject::SetUp")) {
        display_.Release();
        return;
    }
    if (!display_.Setup(width_, height_, rotate_)) memory_.Release();
}

bool TVideoDisplayObject::GetTypeInfo(KString& text) const {
    text.Append(TLayoutSettings::Get(TLayoutSettings::kVideoDisplayType));
    return true;
}

bool TVideoDisplayObject::SetSize(int32_t width, int32_t height) {
    if (!StoreSize(width, height)) return false;
    if (!tracking) SetUp();
    return true;
}

void TVideoDisplayObject::SetTracking(bool on) {
    tracking = on;
    if (!on) SetUp();
}

void TVideoDisplayObject::SetValue(const TField* field) {
    // A page may arrive over several values: it is shown when the value
    // that ends it with "LayoutFlush" has come, never half-built.
    if (field && display_.Feed(field->value) && display_.TakeFlush()) RequestRedraw();
}

bool TVideoDisplayObject::SetRotate(int32_t rotate) {
    if (rotate == rotate_) return false;
    rotate_ = rotate;
    SetUp();
    Send(kMessageObject);
    return true;
}

bool TVideoDisplayObject::SetBlackTransparent(bool on) {
    if (on == blackTransparent_) return false;
    blackTransparent_ = on;
    Send(kMessageObject);
    return true;
}

void TVideoDisplayObject::Write(KStream& stream) const {
    TLayoutObject::Write(stream);
    stream.PutInt32(kVersion);
    stream.PutInt32(rotate_);
    stream.PutInt32(blackTransparent_ ? 1 : 0);
}

void TVideoDisplayObject::Read(KStream& stream) {
    TLayoutObject::Read(stream);
    if (stream.GetUInt32() != kVersion) throw KXPersistent(kErrFileVersion);
    rotate_ = stream.GetInt32();
    blackTransparent_ = stream.GetInt32() != 0;
    SetUp();
}
