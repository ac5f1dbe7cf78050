#pragma once

#include <memory>

#include "KBitmaps.h"
#include "KPictureCache.h"
#include "TLayoutObject.h"
#include "TMemoryBudget.h"

// An object that shows a picture file (Targa, JPEG, GIF): a fixed file, or,
// when dynamic, the name its format makes of the last value received, in
// its own directory or the application folder. The picture is read again
// only when forced or when the file's size or last-write time changed,
// through the program's picture cache (a JPEG decoded at the scale it is
// shown at); a picture that cannot be read shows nothing and is not
// reported, and one that would pass the memory budget of the open layouts
// shows nothing and is logged (error 2001). Without stretch a
// static object has its picture's size; with stretch the picture is scaled
// to the object, keeping its aspect when asked.
//
// A picture of several frames is an animation that steps on the tick while
// the object is visible: each frame stays for its delay scaled by 100 /
// |speed| (never below Display\MinAnimDelay nor 10 ms), backwards for a
// negative speed, and a loop count above 0 stops it on the last frame shown.
class TBitmapObject : public TLayoutObject {
  public:
    static constexpr uint32_t kVersion = 0x3000C;

    TBitmapObject();
    ~TBitmapObject() override;

    const char* ClassName() const override { return "TBitmapObject"; }
    void Notify(const KMessage& message) override;
    void CopyFrom(const TLayoutObject& other) override;
    bool GetLabel(KString& text) const override;
    bool GetTypeInfo(KString& text) const override;
    bool SetSize(int32_t width, int32_t height) override;
    // While an interactive resize is on (for every bitmap object), scaling
    // of pictures waits; turning it off scales this object's picture.
    void SetTracking(bool on) override;
    bool SetScaleMode(uint32_t bits) override;
    bool CanScale() const override { return true; }
    bool SetDynamic(bool on) override;
    // Trigger expiry, then the animation's next step when it is due.
    void Tick(int64_t now) override;
    int64_t NextDue(int64_t now) const override;
    void SetValue(const TField* field) override;
    void Write(KStream& stream) const override;
    void Read(KStream& stream) override;

    bool SetFile(const KString& name);
    bool SetFormat(const KString& pattern);
    bool SetDirectory(const KString& directory);
    bool SetBlackTransparent(bool on);
    bool SetSpeed(int32_t percent);

    const KString& File() const { return file_; }
    const KString& Format() const { return format_; }
    const KString& Value() const { return value_; }
    const KString& Directory() const { return directory_; }
    bool BlackTransparent() const { return blackTransparent_; }
    int32_t Speed() const { return speed_; }
    // The frame shown, or null.
    const KBitmap* CurrentFrame() const { return current_; }
    KSize NaturalSize() const { return naturalSize_; }

  protected:
    std::unique_ptr<TLayoutObject> NewOfClass() const override {
        return std::make_unique<TBitmapObject>();
    }

  private:
    friend class TLayoutJson;

    // Shows the first frame of the playing direction, unscheduled.
    void RewindAnimation();
    // One animation step at tick count now; true when the frame changed.
    bool Animate(int64_t now);
    bool IsAnimating() const;
    // Reads the picture again; true when what is shown may have changed.
    bool Reload(bool force);
    // Takes the frames (scaled to a stretched object's size) within the
    // budget; false when they do not fit.
    bool Show(std::shared_ptr<const KBitmaps> frames);
    void DropFrames();
    void ApplySize() { SetSize(width_, height_); }
    // For a dynamic object: the file name from format and value, the picture
    // reloaded (forced when the name changed) and the size applied; true
    // when what is shown may have changed.
    bool UpdateDynamicName();

    KString255 file_;
    KPictureStamp stamp_;
    KString31 format_;
    KString31 value_;
    std::shared_ptr<const KBitmaps> frames_;
    const KBitmap* current_ = nullptr;
    TMemoryBudget::Share memory_;
    KSize naturalSize_;
    KString255 directory_;
    bool blackTransparent_ = true;
    int32_t speed_ = 100;
    int64_t nextFrameTime_ = 0;  // tick count of the next step, 0 = none
    int32_t loopsDone_ = 0;
};
