#include "TBitmapObject.h"

#include <algorithm>
#include <cstdlib>

#include "KClock.h"
#include "KDataName.h"
#include "KFile.h"
#include "KStream.h"
#include "KX.h"
#include "TField.h"
#include "TLayoutSettings.h"
#include "TValueFormat.h"

namespace {

constexpr uint32_t kFirstVersion = 0x30008;

bool tracking = false;

int32_t Proportion(int32_t v, int32_t numerator, int32_t denominator) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{v} * numerator / denominator, INT32_MIN, INT32_MAX));
}

}  // namespace

TBitmapObject::TBitmapObject() {
    format_.AppendNarrow("%s.tga");
}

TBitmapObject::~TBitmapObject() = default;

void TBitmapObject::Notify(const KMessage& message) {
    if (message.code == kMessageBeforeSwap) {
        DropFrames();
    } else if (message.code == kMessageAfterSwap) {
        Reload(true);
        ApplySize();
    }
    TLayoutObject::Notify(message);
}

void TBitmapObject::CopyFrom(const TLayoutObject& other) {
    TLayoutObject::CopyFrom(other);
    const auto* bitmap = dynamic_cast<const TBitmapObject*>(&other);
    if (!bitmap) return;
    file_ = bitmap->file_;
    format_ = bitmap->format_;
    value_ = bitmap->value_;
    directory_ = bitmap->directory_;
    blackTransparent_ = bitmap->blackTransparent_;
    speed_ = bitmap->speed_;
    DropFrames();
    if (!Parent()) return;
    Reload(true);
    ApplySize();
}

bool TBitmapObject::GetLabel(KString& text) const {
    if (TLayoutObject::GetLabel(text)) return true;
    text.Append(file_);
    return true;
}

bool TBitmapObject::GetTypeInfo(KString& text) const {
    text.Append(TLayoutSettings::Get(TLayoutSettings::kBitmapType));
    return true;
}

bool TBitmapObject::SetSize(int32_t width, int32_t height) {
    const bool stretch = flags_ & kStretch;
    if (stretch) {
        if ((flags_ & kKeepAspect) && naturalSize_.width > 0 && naturalSize_.height > 0) {
            if (tracking || width != width_ || height == height_) {
                height = Proportion(width, naturalSize_.height, naturalSize_.width);
            } else {
                width = Proportion(height, naturalSize_.width, naturalSize_.height);
            }
        }
    } else if (!IsDynamic() && current_) {
        width = current_->Width();
        height = current_->Height();
    }
    if (!StoreSize(width, height)) return false;
    if (stretch && !tracking) Reload(false);
    return true;
}

void TBitmapObject::SetTracking(bool on) {
    tracking = on;
    if (!on && (flags_ & kStretch)) Reload(false);
}

bool TBitmapObject::SetScaleMode(uint32_t bits) {
    if (!TLayoutObject::SetScaleMode(bits)) return false;
    if (flags_ & kStretch) {
        ApplySize();
        Reload(false);
    } else {
        Reload(true);
        ApplySize();
    }
    return true;
}

bool TBitmapObject::SetDynamic(bool on) {
    if (!TLayoutObject::SetDynamic(on)) return false;
    UpdateDynamicName();
    return true;
}

void TBitmapObject::SetValue(const TField* field) {
    value_.Empty();
    if (field) value_.Append(field->value);
    if (UpdateDynamicName()) RequestRedraw();
}

bool TBitmapObject::UpdateDynamicName() {
    if (!IsDynamic()) return false;
    KString255 name;
    TAppendValueFormat(name, format_, value_);
    const bool renamed = !name.Equals(file_);
    file_ = name;
    const bool changed = Reload(renamed);
    ApplySize();
    return changed;
}

void TBitmapObject::Tick(int64_t now) {
    TLayoutObject::Tick(now);
    if (Animate(now)) RequestRedraw();
}

void TBitmapObject::RewindAnimation() {
    nextFrameTime_ = 0;
    loopsDone_ = 0;
    if (frames_) current_ = speed_ < 0 ? frames_->Last() : frames_->Frame(0);
}

bool TBitmapObject::IsAnimating() const {
    return IsVisible() && frames_ && frames_->Count() >= 2 && current_;
}

int64_t TBitmapObject::NextDue(int64_t now) const {
    const int64_t trigger = TLayoutObject::NextDue(now);
    const int32_t loops = frames_ ? frames_->LoopCount() : 0;
    if (!IsAnimating() || (loops > 0 && loopsDone_ >= loops)) return trigger;
    // A step leaves the next frame unscheduled: the tick after it, one
    // millisecond on, schedules it from its own time.
    return std::min(trigger, nextFrameTime_ == 0 ? now + 1 : nextFrameTime_);
}

bool TBitmapObject::Animate(int64_t now) {
    if (!IsAnimating()) {
        const KBitmap* shown = current_;
        RewindAnimation();
        return current_ != shown;
    }
    const int32_t loops = frames_->LoopCount();
    if (loops > 0 && loopsDone_ >= loops) return false;
    if (nextFrameTime_ == 0) {
        // In 64 bits: a frame's delay and the speed come from files and dialogs.
        const int64_t speed = speed_ == 0 ? 1 : std::abs(int64_t{speed_});
        int64_t delay = int64_t{current_->Delay()} * 100 / speed;
        delay = std::max({delay, int64_t{TLayoutSettings::MinAnimDelay()}, int64_t{10}});
        nextFrameTime_ = now + delay;
        if (nextFrameTime_ == 0) nextFrameTime_ = 1;
        return false;
    }
    if (now - nextFrameTime_ < 0) return false;
    nextFrameTime_ = 0;
    const KBitmap* shown = current_;
    const KBitmap* step =
        speed_ < 0 ? KListOf<KBitmap>::Prev(*current_) : KListOf<KBitmap>::Next(*current_);
    if (step) {
        current_ = step;
    } else {
        ++loopsDone_;
        if (loops <= 0 || loopsDone_ < loops)
            current_ = speed_ < 0 ? frames_->Last() : frames_->Frame(0);
    }
    return current_ != shown;
}

bool TBitmapObject::SetFile(const KString& name) {
    if (IsDynamic() || name.Equals(file_)) return false;
    file_ = name;
    Reload(true);
    ApplySize();
    Send(kMessageObject);
    return true;
}

bool TBitmapObject::SetFormat(const KString& pattern) {
    if (pattern.Equals(format_)) return false;
    format_ = pattern;
    UpdateDynamicName();
    Send(kMessageObject);
    return true;
}

bool TBitmapObject::SetDirectory(const KString& directory) {
    if (directory.Equals(directory_)) return false;
    directory_ = directory;
    Reload(true);
    Send(kMessageObject);
    return true;
}

bool TBitmapObject::SetBlackTransparent(bool on) {
    if (on == blackTransparent_) return false;
    blackTransparent_ = on;
    Send(kMessageObject);
    return true;
}

bool TBitmapObject::SetSpeed(int32_t percent) {
    if (percent == speed_) return false;
    speed_ = percent;
    nextFrameTime_ = 0;
    Send(kMessageObject);
    return true;
}

void TBitmapObject::DropFrames() {
    current_ = nullptr;
    nextFrameTime_ = 0;
    loopsDone_ = 0;
    frames_.reset();
    memory_.Release();
    naturalSize_ = KSize{};
}

bool TBitmapObject::Reload(bool force) {
    const bool ownFolder = IsDynamic() && !directory_.IsEmpty();
    KString path(255, KFile::kMaxPath);
    KResolveDataName(ownFolder ? directory_ : TLayoutSettings::ApplicationFolder(), file_, path);
    KPictureStamp stamp;
    KPictureCache::StampOf(path, &stamp);
    if (!force && stamp == stamp_) {
        const bool rescale = (flags_ & kStretch) && current_ &&
                             (current_->Width() != width_ || current_->Height() != height_);
        if (!rescale) return false;
    }
    const bool shown = current_ != nullptr;
    DropFrames();
    KBitmaps::ReadOptions options;
    if (flags_ & kStretch) {
        options.minWidth = width_;
        options.minHeight = height_;
    }
    options.maxBytes = memory_.Left();
    int32_t error = 0;
    std::shared_ptr<const KBitmaps> frames =
        KPictureCache::Shared().Load(path, options, &error, &stamp_);
    if (error == kErrNoMemory) TMemoryBudget::Refuse("TBitmapObject::Reload");
    if (!frames) return shown;
    if (frames->Count() == 0) return true;
    naturalSize_ = KSize{frames->NaturalWidth(), frames->NaturalHeight()};
    return Show(std::move(frames)) || shown;
}

bool TBitmapObject::Show(std::shared_ptr<const KBitmaps> frames) {
    const KBitmap& first = *frames->Frame(0);
    const bool resize = first.Width() != width_ || first.Height() != height_;
    if ((flags_ & kStretch) && resize && width_ >= 1 && height_ >= 1) {
        const int64_t bytes =
            KRowStride(width_, first.BytesPerPixel(), 4) * height_ * frames->Count();
        if (!memory_.Take(bytes, "TBitmapObject::Reload")) return false;
        // A size the scaler refuses keeps the picture as it is.
        if (std::shared_ptr<const KBitmaps> scaled = frames->ScaledFrames(width_, height_)) {
            frames_ = std::move(scaled);
            RewindAnimation();
            return true;
        }
    }
    if (!memory_.Take(frames->Bytes(), "TBitmapObject::Reload")) return false;
    frames_ = std::move(frames);
    RewindAnimation();
    return true;
}

void TBitmapObject::Write(KStream& stream) const {
    TLayoutObject::Write(stream);
    stream.PutInt32(kVersion);
    file_.Write(stream);
    format_.Write(stream);
    value_.Write(stream);
    stream.PutInt32(blackTransparent_ ? 1 : 0);
    directory_.Write(stream);
    stream.PutInt32(speed_);
}

void TBitmapObject::Read(KStream& stream) {
    TLayoutObject::Read(stream);
    const uint32_t version = stream.GetUInt32();
    if (version < kFirstVersion || version > kVersion) throw KXPersistent(kErrFileVersion);
    file_.Read(stream);
    if (version >= 0x30009) {
        format_.Read(stream);
        value_.Read(stream);
    }
    if (version >= 0x3000A) blackTransparent_ = stream.GetInt32() != 0;
    if (version >= 0x3000B) directory_.Read(stream);
    if (version >= 0x3000C) speed_ = stream.GetInt32();
    Reload(true);
    ApplySize();
}
