// Arbitrary command streams fed to a small video display. The first byte
// picks the rotation (low two bits, 3 counts as 0) and whether the picture
// is 48 × 24 or 24 × 48 (bit 2); the rest, decoded as UTF-8, is cut at each
// 0 byte into field values fed one after the other, so commands run across
// values. The application folder holds a bitmap font of digits and a few
// pictures (Targa, GIF, a JPEG made by ImageMagick, a broken one and a
// pipe), read through the picture cache; the system fonts are there as well.

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "ImagesTestSupport.h"
#include "K3DFonts.h"
#include "KTestSupport.h"
#include "KVideoDisplay.h"
#include "TDefaultSettings.h"
#include "TextTestSupport.h"

namespace {

struct Home {
    Home() {
        std::string font;
        for (int c = '0'; c <= '9'; ++c) font += FntBlock(c, 6, 12, char('q' + c % 8));
        font += FntBlock(' ', 4, 12, 'p');
        folder.Put("digits.fnt", font);
        std::string targa = TargaHeader(2, 3, 2, 24, 0x20);
        for (int i = 0; i < 6; ++i) targa += std::string("\x10\x80\xF0", 3);
        folder.Put("logo.tga", targa);
        folder.Put("flag.gif",
                   GifBuilder(2, 2, {0xFF0000, 0x00FF00}).Image(0, 0, 2, 2, {0, 1, 1, 0}).Bytes());
        folder.Put("bad.jpg", "not a picture");
        std::system(("convert -size 64x40 gradient:red-blue " + folder.Path("pic.jpg")).c_str());
        mkfifo(folder.Path("pipe.tga").c_str(), 0600);
        ApplyDefaultSettings(settings);
        fonts = std::make_unique<K3DFonts>(settings, folder.Path(), nullptr);
    }
    KTestFolder folder;
    KRegistry settings;
    std::unique_ptr<K3DFonts> fonts;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Destroyed at exit: the font list hands fontconfig's memory back then.
    static Home home;
    if (size == 0) return 0;
    KVideoDisplay display(home.fonts.get(), KTestText(home.folder.Path()));
    const bool tall = data[0] & 4;
    if (!display.Setup(tall ? 24 : 48, tall ? 48 : 24, data[0] & 3)) std::abort();
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    KString value(255, KString::kMaxLimit);
    size_t from = 0;
    while (from <= bytes.size()) {
        size_t end = bytes.find('\0', from);
        if (end == std::string::npos) end = bytes.size();
        value.Empty();
        KAppendUtf8(value, bytes.data() + from, end - from);
        if (!display.Feed(value)) std::abort();
        display.TakeFlush();
        from = end + 1;
    }
    const KBitmap& picture = display.Buffer();
    if (picture.Width() != (tall ? 24 : 48) || picture.Height() != (tall ? 48 : 24)) std::abort();
    return 0;
}
