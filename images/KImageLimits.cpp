#include "KImageLimits.h"

#include "KX.h"

void KCheckImageSides(int64_t width, int64_t height) {
    if (width > kMaxImageSide || height > kMaxImageSide) throw KX(kErrFileContents);
}
