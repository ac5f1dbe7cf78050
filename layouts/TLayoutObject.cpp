#include "TLayoutObject.h"

#include <algorithm>

#include "KClock.h"
#include "KStream.h"
#include "KX.h"
#include "TFields.h"
#include "TLayout.h"
#include "TLayoutDisplay.h"
#include "TLayoutSettings.h"
#include "TTrigger.h"

namespace {

constexpr uint32_t kFirstVersion = 0x30004;
constexpr uint32_t kSourceRuleVersion = 0x30005;

bool RuleAccepts(int32_t mode, uint32_t mask, int32_t index) {
    if (mode == 0) return true;
    return mode == 1 && index >= 0 && index < 32 && (mask >> index & 1);
}

int32_t Saturated(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// v × to / from in the range of int32, truncating.
int32_t Scaled(int32_t v, int32_t to, int32_t from) {
    return Saturated(int64_t{v} * to / from);
}

}  // namespace

TLayoutObject* TLayoutObject::FindById(int32_t id) {
    return Id() == id ? this : nullptr;
}

KRect TLayoutObject::Rect() const {
    return KRect{x_, y_, Saturated(int64_t{x_} + width_ - 1), Saturated(int64_t{y_} + height_ - 1)};
}

TLayout* TLayoutObject::Layout() const {
    return static_cast<TLayout*>(Parent());
}

std::unique_ptr<TLayoutObject> TLayoutObject::Clone(TLayout* parent, int32_t id) const {
    std::unique_ptr<TLayoutObject> copy = NewOfClass();
    copy->SetParent(parent, id);
    copy->CopyFrom(*this);
    return copy;
}

void TLayoutObject::CopyFrom(const TLayoutObject& other) {
    flags_ = other.flags_;
    x_ = other.x_;
    y_ = other.y_;
    width_ = other.width_;
    height_ = other.height_;
    sourceMode_ = other.sourceMode_;
    sourceMask_ = other.sourceMask_;
    field_ = other.field_;
    trigger_ = other.trigger_;
    triggerTime_ = other.triggerTime_;
    triggerExpiry_ = 0;
    UpdateVisibility(0);
}

bool TLayoutObject::GetLabel(KString& text) const {
    if (!IsDynamic()) return false;
    text.Append(field_);
    return true;
}

void TLayoutObject::GetInfo(KString& text) const {
    using S = TLayoutSettings;
    text.Append(S::Get(IsDynamic() ? S::kDynamic : S::kStatic));
    text.AppendNarrow(" | ");
    GetTypeInfo(text);
    if (!trigger_.IsEmpty()) {
        text.AppendNarrow(" | ").Append(S::Get(S::kTrigger)).AppendNarrow(" \"");
        text.Append(trigger_).AppendChar(u'"');
    }
    if (flags_ & kLocalOverride) text.AppendNarrow(" | ").Append(S::Get(S::kOverride));
}

bool TLayoutObject::SetPosition(int32_t x, int32_t y) {
    if (x == x_ && y == y_) return false;
    x_ = x;
    y_ = y;
    Send(kMessageObject);
    return true;
}

bool TLayoutObject::SetSize(int32_t width, int32_t height) {
    return StoreSize(width, height);
}

bool TLayoutObject::StoreSize(int32_t width, int32_t height) {
    width = std::max(width, kMinSide);
    height = std::max(height, kMinSide);
    if (width == width_ && height == height_) return false;
    width_ = width;
    height_ = height;
    Send(kMessageObject);
    return true;
}

bool TLayoutObject::SetScaleMode(uint32_t bits) {
    if (!CanScale()) return false;
    const uint32_t flags = (flags_ & ~(kStretch | kKeepAspect)) | (bits & 3) << 3;
    if (flags == flags_) return false;
    flags_ = flags;
    Send(kMessageObject);
    return true;
}

bool TLayoutObject::SetFlag(uint32_t flag, bool on) {
    const uint32_t flags = on ? flags_ | flag : flags_ & ~flag;
    if (flags == flags_) return false;
    flags_ = flags;
    Send(kMessageObject);
    return true;
}

bool TLayoutObject::SetDynamic(bool on) {
    return SetFlag(kDynamic, on);
}

bool TLayoutObject::SetField(const KString& name) {
    if (field_.Equals(name)) return false;
    field_ = name;
    Send(kMessageObject);
    return true;
}

bool TLayoutObject::SetSourceMode(int32_t mode) {
    if (mode == sourceMode_) return false;
    sourceMode_ = mode;
    Send(kMessageObject);
    return true;
}

bool TLayoutObject::SelectSource(int32_t index, bool on) {
    if (index < 0 || index >= 32) return false;
    const uint32_t bit = uint32_t{1} << index;
    const uint32_t mask = on ? sourceMask_ | bit : sourceMask_ & ~bit;
    if (mask == sourceMask_) return false;
    sourceMask_ = mask;
    Send(kMessageObject);
    return true;
}

bool TLayoutObject::SetTrigger(const KString& name) {
    KString15 cut(name);
    if (cut.Equals(trigger_)) return false;
    trigger_ = cut;
    triggerExpiry_ = 0;
    UpdateVisibility(0);
    Send(kMessageObject);
    return true;
}

bool TLayoutObject::SetTriggerTime(int32_t ms) {
    if (ms == triggerTime_) return false;
    triggerTime_ = ms;
    triggerExpiry_ = 0;
    UpdateVisibility(0);
    Send(kMessageObject);
    return true;
}

bool TLayoutObject::Trigger(const TTrigger& trigger, int64_t now) {
    if (trigger_.IsEmpty() || !trigger_.EqualsIgnoreCase(trigger.name)) return false;
    bool triggered = trigger.action == TTrigger::kOn;
    if (trigger.action == TTrigger::kToggle) triggered = triggerExpiry_ == 0;
    if (triggered && triggerTime_ > 0) {
        triggerExpiry_ = now + triggerTime_;
        if (triggerExpiry_ == 0) triggerExpiry_ = 1;
    } else {
        triggerExpiry_ = triggered ? 1 : 0;
    }
    if (UpdateVisibility(now)) RequestRedraw();
    return true;
}

bool TLayoutObject::UpdateVisibility(int64_t now) {
    const bool was = visible_;
    if (trigger_.IsEmpty()) {
        visible_ = true;
    } else {
        if (triggerTime_ > 0 && triggerExpiry_ != 0 && now >= triggerExpiry_) triggerExpiry_ = 0;
        visible_ = triggerExpiry_ != 0;
    }
    return visible_ != was;
}

void TLayoutObject::Tick(int64_t now) {
    if (UpdateVisibility(now)) RequestRedraw();
}

int64_t TLayoutObject::NextDue(int64_t) const {
    const bool expires = !trigger_.IsEmpty() && triggerTime_ > 0 && triggerExpiry_ != 0;
    return expires ? triggerExpiry_ : KClock::kNever;
}

void TLayoutObject::ClearValue() {
    if (IsDynamic()) SetValue(nullptr);
}

bool TLayoutObject::AcceptsDefinition(int32_t index) const {
    if (flags_ & kLocalOverride) return RuleAccepts(sourceMode_, sourceMask_, index);
    const TLayout* layout = Layout();
    return layout && RuleAccepts(layout->State().sourceMode, layout->State().sourceMask, index);
}

void TLayoutObject::OnPacket(const TFields& packet) {
    if (!IsDynamic() || !AcceptsDefinition(packet.DefinitionIndex())) return;
    if (const TField* field = packet.FindField(field_)) SetValue(field);
}

void TLayoutObject::RequestRedraw() {
    TLayout* layout = Layout();
    if (!layout) return;
    if (layout->Display()) layout->Display()->RedrawObject(*this);
    if (layout->Watcher()) layout->Watcher()->ObjectRedrawn(Rect());
}

void TLayoutObject::Rescale(KSize from, KSize to) {
    SetPosition(Scaled(x_, to.width, from.width), Scaled(y_, to.height, from.height));
    SetSize(Scaled(width_, to.width, from.width), Scaled(height_, to.height, from.height));
}

void TLayoutObject::Write(KStream& stream) const {
    stream.PutInt32(kVersion);
    stream.PutInt32(Id());
    stream.PutInt32(static_cast<int32_t>(flags_));
    stream.PutInt32(x_);
    stream.PutInt32(y_);
    stream.PutInt32(width_);
    stream.PutInt32(height_);
    stream.PutInt32(0);  // the dynamic flag of the oldest files
    field_.Write(stream);
    stream.PutInt32(sourceMode_);
    stream.PutInt32(static_cast<int32_t>(sourceMask_));
    trigger_.Write(stream);
    stream.PutInt32(triggerTime_);
}

void TLayoutObject::Read(KStream& stream) {
    const uint32_t version = stream.GetUInt32();
    if (version < kFirstVersion || version > kVersion) throw KXPersistent(kErrFileVersion);
    SetId(stream.GetInt32());
    flags_ = stream.GetUInt32();
    x_ = stream.GetInt32();
    y_ = stream.GetInt32();
    width_ = stream.GetInt32();
    height_ = stream.GetInt32();
    const int32_t legacyDynamic = stream.GetInt32();
    field_.Read(stream);
    if (version == kFirstVersion) {
        if (legacyDynamic != 0) flags_ |= kDynamic;
        return;
    }
    sourceMode_ = stream.GetInt32();
    sourceMask_ = stream.GetUInt32();
    if (version == kSourceRuleVersion) return;
    trigger_.Read(stream);
    triggerTime_ = stream.GetInt32();
    triggerExpiry_ = 0;
    UpdateVisibility(0);
}
