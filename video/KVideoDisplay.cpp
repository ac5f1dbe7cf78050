#include "KVideoDisplay.h"

#include <algorithm>

#include "K3DFonts.h"
#include "KBitmaps.h"
#include "KDataName.h"
#include "KFile.h"
#include "KPictureCache.h"
#include "KVideoValue.h"
#include "KX.h"

namespace {

constexpr KChar kDC2 = 0x12;  // starts a command
constexpr KChar kDC4 = 0x14;  // ends it

enum Command : int32_t {
    kLayoutSetup,
    kLayoutBackColor,
    kLayoutFlush,
    kBlank,
    kTextSetup,
    kTextDraw,
    kTextJustify,
    kTextMargins,
    kTextHandling,
    kTextOptimize,
    kFontName,
    kFontSize,
    kFontWidth,
    kFontFaceColor,
    kFontBorderColor,
    kFontShadowColor,
    kFontBackColor,
    kFontBorderSize,
    kFontShadowSize,
    kImageSetup,
    kImageDraw,
    kImageJustify,
    kImageStretch,
    kImageMargins,
    kCommandCount,
    kNoCommand = kCommandCount,
};

const char16_t* const kCommandNames[kCommandCount] = {
    u"LayoutSetup",   u"LayoutBackColor", u"LayoutFlush",     u"Blank",
    u"TextSetup",     u"TextDraw",        u"TextJustify",     u"TextMargins",
    u"TextHandling",  u"TextOptimize",    u"FontName",        u"FontSize",
    u"FontWidth",     u"FontFaceColor",   u"FontBorderColor", u"FontShadowColor",
    u"FontBackColor", u"FontBorderSize",  u"FontShadowSize",  u"ImageSetup",
    u"ImageDraw",     u"ImageJustify",    u"ImageStretch",    u"ImageMargins"};

const char16_t* const kJustifyWords[] = {u"Left", u"Center", u"Right", u"Top", u"Bottom"};
constexpr int32_t kJustifyValues[] = {0, 1, 2, 0, 2};
const char16_t* const kHandlingWords[] = {u"Character", u"Auto", u"String"};
const char16_t* const kOffOnWords[] = {u"Off", u"On"};
const char16_t* const kStretchWords[] = {u"Off", u"On", u"OnKA"};

int32_t CommandOf(const KString& name) {
    for (int32_t i = 0; i < kCommandCount; ++i) {
        if (name.EqualsIgnoreCase(KString(kCommandNames[i]))) return i;
    }
    return kNoCommand;
}

int32_t Clamp32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Cell rectangles are kept within this distance of the picture: far enough
// that what shows of a centred or right-justified text or picture in a
// picture of at most 16384 pixels is the same, near enough that widths and
// scaling stay within 32 bits.
constexpr int64_t kFar = int64_t{1} << 24;

int32_t Near(int64_t v) {
    return int32_t(std::clamp(v, -kFar, kFar));
}

bool SameRect(const K3DRect& a, const K3DRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Where the glyphs of one fitted text go.
struct GlyphPlacement {
    KVideoBuffer* buffer;
    int32_t left, top;
    K3DRect clip;
};

// Copies a glyph; a glyph that starts past the picture's right edge ends
// the text, so a long text in a range that runs far off the picture costs
// no more than what shows.
bool PlaceGlyph(const K3DGlyph& glyph, const K3DRect& rect, void* user) {
    auto* placement = static_cast<GlyphPlacement*>(user);
    const K3DRect moved{rect.left + placement->left, rect.top + placement->top,
                        rect.right + placement->left, rect.bottom + placement->top};
    placement->buffer->CopyGlyph(glyph, moved, placement->clip);
    return moved.left < placement->buffer->Width();
}

// The justified start of `size` pixels in `room` pixels from `first` (0
// start, 1 centre, 2 end).
int32_t Place(int32_t justification, int32_t first, int32_t last, int32_t size) {
    const int32_t room = last - first + 1;
    if (justification == 1) return first + (room - size) / 2;
    if (justification == 2) return last - size + 1;
    return first;
}

}  // namespace

KVideoDisplay::KVideoDisplay(K3DFonts* fonts, const KString& folder)
    : fonts_(fonts), folder_(folder) {
    RestoreDefaults();
}

bool KVideoDisplay::Setup(int32_t width, int32_t height, int32_t rotation) {
    if (rotation < 0 || rotation > 2) rotation = 0;
    const int32_t logicalWidth = rotation ? height : width;
    const int32_t logicalHeight = rotation ? width : height;
    if (HasBuffer() && logicalWidth == Width() && logicalHeight == Height() &&
        rotation == Rotation())
        return true;
    Release();
    return buffer_.Allocate(logicalWidth, logicalHeight, rotation);
}

void KVideoDisplay::Release() {
    buffer_.Release();
    slotsUsed_ = 0;
    slotsBefore_ = 0;
}

bool KVideoDisplay::Feed(const KString& text) {
    if (!HasBuffer() || !fonts_) return false;
    for (int32_t i = 0; i < text.Length(); ++i) FeedChar(text.CharAt(i));
    return true;
}

bool KVideoDisplay::TakeFlush() {
    const bool flush = flush_;
    flush_ = false;
    return flush;
}

void KVideoDisplay::FeedChar(KChar c) {
    if (c == kDC2) {
        name_.Empty();
        value_.Empty();
        state_ = Receive::kName;
    } else if (c == kDC4) {
        if (state_ != Receive::kIdle) Execute();
        state_ = Receive::kIdle;
    } else if (c == u'=' && state_ == Receive::kName) {
        state_ = Receive::kValue;
    } else if (state_ == Receive::kName) {
        name_.AppendChar(c);  // past 63 characters dropped: such a name is no command
    } else if (state_ == Receive::kValue) {
        value_.AppendChar(c);
    }
}

void KVideoDisplay::Execute() {
    KVideoValue value(value_);
    const int32_t command = CommandOf(name_);
    switch (command) {
        case kLayoutSetup:
            LayoutSetup(value);
            break;
        case kLayoutBackColor:
            value.Color(&backColor_);
            break;
        case kLayoutFlush:
            flush_ = true;
            break;
        case kBlank:
            SetRange(value);
            DefaultEnds();
            Advance();
            break;
        case kTextSetup:
            SetRange(value);
            textCopy_ = textSetup_;
            text_ = &textCopy_;
            break;
        case kTextDraw:
            TextDraw(value_);
            break;
        case kImageSetup:
            SetRange(value);
            imageCopy_ = imageSetup_;
            image_ = &imageCopy_;
            break;
        case kImageDraw:
            ImageDraw(value_);
            break;
        case kImageJustify:
        case kImageStretch:
        case kImageMargins:
            ImageStyle(command, value);
            break;
        case kNoCommand:
            break;
        default:
            TextStyle(command, value);
            break;
    }
}

void KVideoDisplay::RestoreDefaults() {
    column_ = row_ = 0;
    endColumn_.reset();
    endRow_.reset();
    backColor_ = kColorBlack;
    textSetup_ = TextInfo{};
    K3DFontInfo& font = textSetup_.font;
    font.SetFaceName(KString(u"Arial"));
    font.SetSize(Height() / rows_);
    font.SetSqueezeMinimum(100);
    font.textHandling = 1;
    text_ = &textSetup_;
    imageSetup_ = ImageInfo{};
    image_ = &imageSetup_;
}

void KVideoDisplay::LayoutSetup(KVideoValue& value) {
    int32_t columns, rows;
    if (value.Int(&columns)) columns_ = std::clamp(columns, 1, std::max(Width(), 1));
    if (value.Int(&rows)) rows_ = std::clamp(rows, 1, std::max(Height(), 1));
    RestoreDefaults();
    slotsBefore_ = slotsUsed_;
    slotsUsed_ = 0;
}

void KVideoDisplay::SetRange(KVideoValue& value) {
    int32_t width, height, column, row;
    const bool hasWidth = value.Int(&width);
    const bool hasHeight = value.Int(&height);
    if (value.Int(&column)) column_ = column;
    if (value.Int(&row)) row_ = row;
    if (hasWidth && width >= 0) endColumn_ = Clamp32(int64_t{column_} + width - 1);
    if (hasHeight && height >= 0) endRow_ = Clamp32(int64_t{row_} + height - 1);
}

void KVideoDisplay::DefaultEnds() {
    if (!endColumn_) endColumn_ = column_;
    if (!endRow_) endRow_ = row_;
}

void KVideoDisplay::Advance() {
    column_ = Clamp32(int64_t{*endColumn_} + 1);
    if (column_ >= columns_) {
        column_ = 0;
        row_ = Clamp32(int64_t{*endRow_} + 1);
    }
    endColumn_.reset();
    endRow_.reset();
}

bool KVideoDisplay::RangeRect(K3DRect* rect) const {
    const int64_t c0 = column_, r0 = row_, c1 = *endColumn_, r1 = *endRow_;
    if (c1 < c0 || r1 < r0) return false;
    // The pixels the width does not share out evenly go one each to the
    // first columns; the rows' remainder stays below the last row.
    const int64_t cellWidth = Width() / columns_, extra = Width() % columns_;
    const int64_t cellHeight = Height() / rows_;
    const int64_t left = c0 * cellWidth + std::min(c0, extra);
    const int64_t right = (c1 + 1) * cellWidth + std::min(c1 + 1, extra) - 1;
    const int64_t top = r0 * cellHeight;
    const int64_t bottom = (r1 + 1) * cellHeight - 1;
    if (left > right || top > bottom || right < 0 || bottom < 0 || left >= Width() ||
        top >= Height())
        return false;
    *rect = K3DRect{Near(left), Near(top), Near(right), Near(bottom)};
    return true;
}

void KVideoDisplay::TextStyle(int32_t command, KVideoValue& value) {
    TextInfo& text = *text_;
    K3DFontInfo& font = text.font;
    int32_t n, m;
    switch (command) {
        case kTextJustify:
            if (value.Word(kJustifyWords, 5, &n)) text.justification = kJustifyValues[n];
            break;
        case kTextMargins:
            if (value.Int(&n) && n >= 0) text.marginLeft = n;
            if (value.Int(&n) && n >= 0) text.marginRight = n;
            break;
        case kTextHandling:
            if (value.Word(kHandlingWords, 3, &n)) font.textHandling = n;
            break;
        case kTextOptimize:
            if (value.Word(kOffOnWords, 2, &n)) text.optimize = n == 1;
            break;
        case kFontName:
            if (fonts_->Find(value_)) font.SetFaceName(value_);
            break;
        case kFontSize:
            if (value.Int(&n)) font.SetSize(n);
            break;
        case kFontWidth:
            if (value.Int(&n)) font.SetWidthPercent(n);
            font.SetSqueeze(value.Int(&m));
            if (font.Squeeze()) font.SetSqueezeMinimum(m);
            break;
        case kFontFaceColor:
            value.Color(&font.face);
            break;
        case kFontBorderColor:
            value.Color(&font.border);
            break;
        case kFontShadowColor:
            value.Color(&font.shadow);
            break;
        case kFontBackColor:
            value.Color(&font.back);
            break;
        case kFontBorderSize:
            value.Int(&font.borderSize);
            break;
        case kFontShadowSize:
            value.Int(&font.shadowSize);
            break;
    }
}

void KVideoDisplay::ImageStyle(int32_t command, KVideoValue& value) {
    ImageInfo& image = *image_;
    int32_t n;
    switch (command) {
        case kImageJustify:
            if (value.Word(kJustifyWords, 5, &n)) image.justifyX = kJustifyValues[n];
            if (value.Word(kJustifyWords, 5, &n)) image.justifyY = kJustifyValues[n];
            break;
        case kImageStretch:
            if (value.Word(kStretchWords, 3, &n)) image.stretch = n;
            break;
        case kImageMargins:
            for (int32_t* margin :
                 {&image.marginLeft, &image.marginRight, &image.marginTop, &image.marginBottom}) {
                if (value.Int(&n) && n >= 0) *margin = n;
            }
            break;
    }
}

KVideoDisplay::TextOptimize* KVideoDisplay::NextSlot() {
    if (!text_->optimize || slotsUsed_ >= kSlots) return nullptr;
    TextOptimize* slot = &slots_[slotsUsed_];
    // A slot the previous pass did not reach remembers nothing of this layout.
    if (slotsUsed_ >= slotsBefore_) *slot = TextOptimize{};
    ++slotsUsed_;
    return slot;
}

void KVideoDisplay::TextDraw(const KString& text) {
    TextOptimize* slot = NextSlot();
    if (!endColumn_) endColumn_ = Clamp32(int64_t{column_} + text.Length() - 1);
    if (!endRow_) endRow_ = row_;
    K3DRect rect;
    if (RangeRect(&rect)) DrawText(text, rect, slot);
    text_ = &textSetup_;
    Advance();
}

void KVideoDisplay::DrawText(const KString& text, const K3DRect& rect, TextOptimize* slot) {
    const TextInfo& info = *text_;
    K3DFontInfo font(info.font);
    font.SetSize(rect.bottom - rect.top + 1);
    for (KColor* c : {&font.face, &font.border, &font.shadow, &font.back}) {
        if (*c == kColorBackground) *c = backColor_;
    }
    const int32_t width = rect.right - rect.left + 1;
    int32_t left = std::min(info.marginLeft, width);
    int32_t right = std::min(info.marginRight, width - left);
    const int32_t available = width - left - right;
    K3DFontOptimize* optimize = nullptr;
    if (slot) {
        if (!SameRect(slot->rect, rect) || slot->marginLeft != info.marginLeft ||
            slot->marginRight != info.marginRight || slot->justification != info.justification) {
            *slot = TextOptimize{rect, info.marginLeft, info.marginRight, info.justification, {}};
        }
        optimize = &slot->optimize;
        optimize->hit = optimize->partialHit = false;
    }
    fitted_ = text;
    int32_t textWidth = available;
    if (!fonts_->Fit(fitted_, font, &textWidth, optimize) || fitted_.IsEmpty()) textWidth = 0;
    const int32_t spare = std::max(available - textWidth, 0);
    if (info.justification == 1) {
        left += spare / 2;
        right += spare - spare / 2;
    } else if (info.justification == 2) {
        left += spare;
    } else {
        right += spare;
    }
    if (textWidth > 0) {
        GlyphPlacement placement{&buffer_, rect.left + left, rect.top, rect};
        fonts_->Draw(fitted_, font, PlaceGlyph, &placement, optimize);
    }
    // On a hit the margins still hold what the last draw put there.
    if (optimize && (optimize->hit || optimize->partialHit)) return;
    const uint32_t back = fonts_->Colors().Pixel(font.back);
    buffer_.Fill(K3DRect{rect.left, rect.top, rect.left + left - 1, rect.bottom}, back);
    buffer_.Fill(K3DRect{rect.right - right + 1, rect.top, rect.right, rect.bottom}, back);
}

void KVideoDisplay::ImageDraw(const KString& name) {
    DefaultEnds();
    K3DRect cell;
    if (RangeRect(&cell)) {
        const K3DRect inner = InnerRect(cell);
        std::shared_ptr<const KBitmaps> picture;
        if (inner.left <= inner.right && inner.top <= inner.bottom)
            picture = LoadImage(name, inner);
        const KBitmap* first = picture && picture->Count() > 0 ? picture->Frame(0) : nullptr;
        if (first && first->Width() >= 1 && first->Height() >= 1) {
            DrawImage(*picture, cell, inner);
        } else {
            FillBack(cell);
        }
    }
    image_ = &imageSetup_;
    Advance();
}

K3DRect KVideoDisplay::InnerRect(const K3DRect& cell) const {
    const ImageInfo& info = *image_;
    return K3DRect{
        Near(int64_t{cell.left} + std::max(info.marginLeft, 0)),
        Near(int64_t{cell.top} + std::max(info.marginTop, 0)),
        Near(int64_t{cell.right} - std::max(info.marginRight, 0)),
        Near(int64_t{cell.bottom} - std::max(info.marginBottom, 0)),
    };
}

std::shared_ptr<const KBitmaps> KVideoDisplay::LoadImage(const KString& name,
                                                         const K3DRect& inner) const {
    // A name of up to four characters is always taken inside the folder.
    int32_t skip = 0;
    if (name.Length() <= 4) {
        while (name.CharAt(skip) == u'/' || name.CharAt(skip) == u'\\') ++skip;
    }
    KString path(255, KFile::kMaxPath);
    KResolveDataName(folder_, KString(name.Chars() + skip, name.Length() - skip), path);
    // Only the first frame is drawn; a stretched picture is decoded no
    // larger than it is drawn.
    KBitmaps::ReadOptions options;
    options.maxFrames = 1;
    if (image_->stretch != 0) {
        options.minWidth = inner.right - inner.left + 1;
        options.minHeight = inner.bottom - inner.top + 1;
    }
    int32_t error;
    return KPictureCache::Shared().Load(path, options, &error);
}

void KVideoDisplay::DrawImage(const KBitmaps& picture, const K3DRect& cell, const K3DRect& inner) {
    const ImageInfo& info = *image_;
    const int64_t innerWidth = int64_t{inner.right} - inner.left + 1;
    const int64_t innerHeight = int64_t{inner.bottom} - inner.top + 1;
    // Sizes follow the picture as the file has it, whatever scale it was
    // decoded at.
    int64_t width = picture.NaturalWidth(), height = picture.NaturalHeight();
    if (info.stretch != 0 && (width != innerWidth || height != innerHeight)) {
        const int64_t keptWidth = width * innerHeight / height;
        const int64_t keptHeight = height * innerWidth / width;
        width = innerWidth;
        height = innerHeight;
        if (info.stretch == 2 && keptWidth < innerWidth) {
            width = keptWidth;
        } else if (info.stretch == 2 && keptHeight < innerHeight) {
            height = keptHeight;
        }
        // A very flat or tall picture keeps at least one pixel.
        width = std::max<int64_t>(width, 1);
        height = std::max<int64_t>(height, 1);
    }
    if (!SameRect(inner, cell) || width < innerWidth || height < innerHeight) FillBack(cell);
    const int32_t x = Place(info.justifyX, inner.left, inner.right, int32_t(width));
    const int32_t y = Place(info.justifyY, inner.top, inner.bottom, int32_t(height));
    buffer_.CopyImage(*picture.Frame(0), K3DRect{x, y, Near(x + width - 1), Near(y + height - 1)},
                      inner);
}

void KVideoDisplay::FillBack(const K3DRect& rect) {
    buffer_.Fill(rect, fonts_->Colors().Pixel(backColor_));
}
