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
    if (field && display_.Feed(field->value)) RequestRedraw();
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
