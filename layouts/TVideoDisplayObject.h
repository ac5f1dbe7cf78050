#pragma once

#include "KVideoDisplay.h"
#include "TLayoutObject.h"
#include "TMemoryBudget.h"

// An object that hosts a video display: the commands carried in its field's
// values draw into a picture of the object's size, turned a quarter left or
// right when asked. The picture is made again when the size or rotation
// changes, except while an interactive resize is on; a picture that cannot
// be made leaves the object drawn empty, and so does one that would pass the
// memory budget of the open layouts (error 2001, logged). The object asks to be redrawn only
// after a value that sent "LayoutFlush".
class TVideoDisplayObject : public TLayoutObject {
  public:
    static constexpr uint32_t kVersion = 0x30009;

    // A dynamic object fed by the field "Video Display Data".
    TVideoDisplayObject();

    const char* ClassName() const override { return "TVideoDisplayObject"; }
    void Notify(const KMessage& message) override;
    void CopyFrom(const TLayoutObject& other) override;
    bool GetTypeInfo(KString& text) const override;
    bool SetSize(int32_t width, int32_t height) override;
    void SetTracking(bool on) override;
    void SetValue(const TField* field) override;
    void Write(KStream& stream) const override;
    void Read(KStream& stream) override;

    bool SetRotate(int32_t rotate);
    bool SetBlackTransparent(bool on);

    int32_t Rotate() const { return rotate_; }
    bool BlackTransparent() const { return blackTransparent_; }
    const KVideoDisplay& Display() const { return display_; }

  protected:
    std::unique_ptr<TLayoutObject> NewOfClass() const override {
        return std::make_unique<TVideoDisplayObject>();
    }

  private:
    friend class TLayoutJson;

    // Makes the picture for the size and rotation, within the budget.
    void SetUp();

    int32_t rotate_ = 0;
    bool blackTransparent_ = false;
    KVideoDisplay display_;
    TMemoryBudget::Share memory_;
};
