#pragma once

#include <cstdint>
#include <memory>

#include "KListItem.h"
#include "KMessageObject.h"
#include "KPoint.h"
#include "KString.h"

class TField;
class TFields;
class TLayout;
struct TTrigger;

// One object of a layout: its place and size, the field it shows, the
// source rule that may override its layout's, and its trigger. An object
// belongs to the state list it sits in; its parent is the layout, which
// receives the change messages its setters send (code 4).
//
// Tick counts are milliseconds of the caller's clock; the model never reads
// a clock itself, so timed behaviour runs on whatever clock drives it.
class TLayoutObject : public KMessageObject, public KListItem {
  public:
    enum : uint32_t {
        kDynamic = 1,
        kLocalOverride = 2,
        kSelected = 4,
        kStretch = 8,
        kKeepAspect = 16,
    };
    enum : int32_t {
        kMessageLayout = 1,
        kMessageBeforeSwap = 2,
        kMessageAfterSwap = 3,
        kMessageObject = 4,
    };
    static constexpr int32_t kMinSide = 10;
    static constexpr uint32_t kVersion = 0x30006;

    TLayoutObject() = default;

    // The object with this id here, or null.
    virtual TLayoutObject* FindById(int32_t id);
    const char* ClassName() const override { return "TLayoutObject"; }
    // A new object of the same class, with this parent and id and a copy of
    // every value; the caller owns it.
    std::unique_ptr<TLayoutObject> Clone(TLayout* parent, int32_t id) const;
    virtual void CopyFrom(const TLayoutObject& other);
    // The text the editor writes inside the object; false when none.
    virtual bool GetLabel(KString& text) const;
    // "DYN | TXT | TRG "F1" | OVR" and the like.
    void GetInfo(KString& text) const;
    virtual bool GetTypeInfo(KString& text) const { return false; }
    virtual bool SetPosition(int32_t x, int32_t y);
    virtual bool SetSize(int32_t width, int32_t height);
    virtual void SetTracking(bool on) {}
    // Bits 0 and 1 become stretch and keep aspect, for objects that scale.
    virtual bool SetScaleMode(uint32_t bits);
    virtual bool CanScale() const { return false; }
    virtual bool SetDynamic(bool on);
    virtual bool SetField(const KString& name);
    // Periodic work at tick count now: trigger expiry (and animation).
    virtual void Tick(int64_t now);
    // After a Tick at tick count now: the tick count at which the next Tick
    // has something to do, unless something else happens first (a trigger,
    // a value); KClock::kNever when nothing is timed.
    virtual int64_t NextDue(int64_t now) const;
    void ClearValue();
    // Takes the packet's value of this object's field when its source rule
    // (or, without override, the layout's) accepts the packet.
    void OnPacket(const TFields& packet);
    // A received value; null clears it.
    virtual void SetValue(const TField* field) {}
    void Write(KStream& stream) const override;
    void Read(KStream& stream) override;
    // Scales position and size from one layout extent to another.
    virtual void Rescale(KSize from, KSize to);

    bool SetSelected(bool on) { return SetFlag(kSelected, on); }
    bool SetLocalOverride(bool on) { return SetFlag(kLocalOverride, on); }
    bool SetSourceMode(int32_t mode);
    bool SelectSource(int32_t index, bool on);
    bool SetTrigger(const KString& name);
    bool SetTriggerTime(int32_t ms);
    // Offers a trigger at tick count now; true when the object reacted.
    bool Trigger(const TTrigger& trigger, int64_t now);

    uint32_t Flags() const { return flags_; }
    bool IsDynamic() const { return flags_ & kDynamic; }
    bool IsSelected() const { return flags_ & kSelected; }
    int32_t X() const { return x_; }
    int32_t Y() const { return y_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Edges saturate, so that any stored place and size gives a rectangle.
    KRect Rect() const;
    int32_t SourceMode() const { return sourceMode_; }
    uint32_t SourceMask() const { return sourceMask_; }
    const KString& Field() const { return field_; }
    bool IsVisible() const { return visible_; }
    const KString& TriggerName() const { return trigger_; }
    int32_t TriggerTime() const { return triggerTime_; }
    TLayout* Layout() const;

  protected:
    // A new object of the class, without parent.
    virtual std::unique_ptr<TLayoutObject> NewOfClass() const = 0;
    bool SetFlag(uint32_t flag, bool on);
    // Stores a size raised to the minimum; message 4 when it changed.
    bool StoreSize(int32_t width, int32_t height);
    // Asks the layout's display to draw this object again.
    void RequestRedraw();
    // Whether the rule of this object, or of its layout, takes packets of
    // this definition index.
    bool AcceptsDefinition(int32_t index) const;
    // Visibility from the trigger state at tick count now; true when changed.
    bool UpdateVisibility(int64_t now);

    uint32_t flags_ = 0;
    int32_t x_ = 10;
    int32_t y_ = 10;
    int32_t width_ = 150;
    int32_t height_ = 50;

  private:
    friend class TLayoutJson;

    int32_t sourceMode_ = 0;
    uint32_t sourceMask_ = 0;
    KString field_;
    bool visible_ = true;
    KString15 trigger_;
    int32_t triggerTime_ = 0;
    int64_t triggerExpiry_ = 0;
};
