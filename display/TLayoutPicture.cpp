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
    const uint32_t background = fonts_.Colors().Pixel(layout.State().background);
    const int32_t rows =
        static_cast<int32_t>(std::clamp<int64_t>(canvas_.RowsFor(size.width), 0, size.height));
    if (rows < 1) return;
    for (int32_t top = 0; top < size.height; top += rows) {
        const KRect band{0, top, size.width - 1, std::min(top + rows, size.height) - 1};
        canvas_.Begin(band, 0);
        canvas_.Fill(background);
        for (TLayoutObject& object : layout.Objects())
            if (object.Rect().Intersects(band)) painter_.Draw(canvas_, object);
        std::memcpy(&pixels_[static_cast<size_t>(top) * size.width], canvas_.Pixels(),
                    static_cast<size_t>(band.Height()) * size.width * sizeof(uint32_t));
        canvas_.End();
    }
}
