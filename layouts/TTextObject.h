#pragma once

#include "K3DFontInfo.h"
#include "TLayoutObject.h"

// An object that shows its text in 3D text, the text used as a format with
// the last received value as its one argument. Its height follows from the
// font size, the lines and the line space whenever one of them or the size
// is set; a height read from a file stays as stored until then.
class TTextObject : public TLayoutObject {
  public:
    static constexpr uint32_t kVersion = 0x30008;
    static constexpr int32_t kMaxLines = 25;

    // A dynamic object showing "%s", 150 wide and one line high.
    TTextObject();

    const char* ClassName() const override { return "TTextObject"; }
    void CopyFrom(const TLayoutObject& other) override;
    bool GetLabel(KString& text) const override;
    bool GetTypeInfo(KString& text) const override;
    // The width is raised to the minimum; the height is the text's.
    bool SetSize(int32_t width, int32_t height) override;
    void SetValue(const TField* field) override;
    void Write(KStream& stream) const override;
    void Read(KStream& stream) override;
    // The font size scales with the height, then place and size.
    void Rescale(KSize from, KSize to) override;

    bool SetFont(const K3DFontInfo& font);
    bool SetJustification(int32_t justification);
    bool SetLines(int32_t lines);
    bool SetLineSpace(int32_t space);
    bool SetText(const KString& text);

    // What is drawn: nothing while hidden by the trigger.
    void GetDrawnText(KString& out) const;

    const K3DFontInfo& Font() const { return font_; }
    int32_t Justification() const { return justification_; }
    int32_t Lines() const { return lines_; }
    int32_t LineSpace() const { return lineSpace_; }
    const KString& Text() const { return text_; }
    const KString& Value() const { return value_; }

  protected:
    std::unique_ptr<TLayoutObject> NewOfClass() const override {
        return std::make_unique<TTextObject>();
    }

  private:
    friend class TLayoutJson;

    int32_t TextHeight() const;
    // Sets the size again, so that the height follows the text.
    void ApplySize() { SetSize(width_, height_); }

    K3DFontInfo font_;
    int32_t justification_ = 0;
    int32_t lines_ = 1;
    int32_t lineSpace_ = 0;
    KString text_;
    KString value_;
};
