#include "TLayoutPicture.h"

#include <algorithm>
#include <cstring>

#include "K3DFonts.h"
#include "TLayout.h"

TLayoutPicture::TLayoutPicture(K3DFonts& fonts)
    : fonts_(fonts), painter_(fonts), canvas_(KBandCanvas::kMinBytes * 16) {}

void TLayoutPicture::Compose(TLayout& layout, KSize size) {
    size.width = std::clamp(size.width, 1, kMaxSide);
    size.height = std::clamp(size.height, 1, kMaxSide);
    if (size.width != size_.width || size.height != size_.height) {
        size_ = size;
        pixels_.assign(static_cast<size_t>(size.width) * size.height, 0);
    }
    Recompose(layout, {0, 0, size.width - 1, size.height - 1});
}

void TLayoutPicture::Recompose(TLayout& layout, const KRect& area) {
    const KRect cut = area.Intersection({0, 0, size_.width - 1, size_.height - 1});
    if (cut.IsEmpty()) return;
    const uint32_t background = fonts_.Colors().Pixel(layout.State().background);
    const int32_t width = cut.Width();
    const int32_t rows =
        static_cast<int32_t>(std::clamp<int64_t>(canvas_.RowsFor(width), 0, cut.Height()));
    if (rows < 1) return;
    for (int32_t top = cut.top; top <= cut.bottom; top += rows) {
        const KRect band{cut.left, top, cut.right, std::min(top + rows - 1, cut.bottom)};
        canvas_.Begin(band, 0);
        canvas_.Fill(background);
        for (TLayoutObject& object : layout.Objects())
            if (object.Rect().Intersects(band)) painter_.Draw(canvas_, object);
        for (int32_t y = band.top; y <= band.bottom; ++y)
            std::memcpy(&pixels_[static_cast<size_t>(y) * size_.width + cut.left],
                        canvas_.Pixels() + static_cast<size_t>(y - band.top) * width,
                        static_cast<size_t>(width) * sizeof(uint32_t));
        canvas_.End();
    }
}
