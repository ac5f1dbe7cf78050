#include "TextVerb.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "JsonText.h"
#include "K3DFonts.h"
#include "K3DTextBlock.h"
#include "KLog.h"
#include "KPngWriter.h"
#include "KUtf8.h"
#include "ToolStartUp.h"
#include "VerbOptions.h"

namespace {

// A colour option: a table name (letter case ignored) or "R,G,B".
std::optional<KColor> ParseColor(const std::string& text) {
    KString s;
    KAppendUtf8(s, text);
    for (int i = 0; i < KColorTable::kCount; ++i) {
        if (s.EqualsIgnoreCase(KString(KColorTable::kNames[i]))) return static_cast<KColor>(i);
    }
    unsigned r, g, b;
    char tail;
    if (std::sscanf(text.c_str(), "%u,%u,%u%c", &r, &g, &b, &tail) != 3 || r > 255 || g > 255 ||
        b > 255)
        return std::nullopt;
    return KColorRGB(r, g, b);
}

// The canvas the text block draws into: glyph pixels copied, the
// transparent key left out, everything clipped to the canvas.
class Canvas : public K3DTextTarget {
  public:
    Canvas(int32_t width, int32_t height, uint32_t fill)
        : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

    bool Glyph(const uint32_t* pixels, const K3DRect& rect) override {
        const int32_t glyphWidth = rect.right - rect.left + 1;
        for (int32_t y = std::max(rect.top, 0); y <= rect.bottom && y < height_; ++y) {
            const uint32_t* row = pixels + static_cast<size_t>(y - rect.top) * glyphWidth;
            for (int32_t x = std::max(rect.left, 0); x <= rect.right && x < width_; ++x) {
                const uint32_t p = row[x - rect.left];
                if (p != kTransparentPixel) pixels_[static_cast<size_t>(y) * width_ + x] = p;
            }
        }
        return true;
    }
    void Line(const KString& text, int32_t left, int32_t top, int32_t width) override {
        json_ += json_.empty() ? "" : ",";
        json_ += "{\"text\":";
        AppendJsonString(json_, text);
        json_ += ",\"left\":" + std::to_string(left) + ",\"top\":" + std::to_string(top) +
                 ",\"width\":" + std::to_string(width) + "}";
    }

    const uint32_t* Pixels() const { return pixels_.data(); }
    const std::string& LinesJson() const { return json_; }

  private:
    int32_t width_;
    int32_t height_;
    std::vector<uint32_t> pixels_;
    std::string json_;
};

struct TextOptions {
    std::string home, font, rect, out, text;
    std::string face = "White", border = "Black", shadow = "Black", back = "Background";
    std::string bg = "Blue";
    std::optional<int> size, width, squeeze;
    int borderSize = -1, shadowSize = -1, handling = -1, lines = 1, justify = 0;
};

void AddOptions(CLI::App& app, TextOptions& o) {
    app.add_option("--home", o.home, "the application folder");
    app.add_option("--font", o.font, "font family (empty: the internal font)");
    app.add_option("--size", o.size, "cell height in pixels");
    app.add_option("--width", o.width, "character width in percent");
    app.add_option("--squeeze", o.squeeze, "squeeze to fit, down to this percent");
    app.add_option("--face", o.face, "face colour");
    app.add_option("--border", o.border, "border colour");
    app.add_option("--shadow", o.shadow, "shadow colour");
    app.add_option("--back", o.back, "back colour");
    app.add_option("--border-size", o.borderSize, "border size (-1 automatic)");
    app.add_option("--shadow-size", o.shadowSize, "shadow size (-1 automatic)");
    app.add_option("--handling", o.handling, "0 characters, 1 automatic, 2 full string");
    app.add_option("--rect", o.rect, "canvas WxH (default: the text's extent)");
    app.add_option("--lines", o.lines, "lines of the text block");
    app.add_option("--justify", o.justify, "0 left, 1 centre, 2 right");
    app.add_option("--bg", o.bg, "canvas colour");
    app.add_option("--out", o.out, "PNG file to write")->required();
    app.add_option("text", o.text, "the text")->required();
}

// Applies the colour options; false after a message on err.
bool SetColors(const TextOptions& o, K3DFontInfo& info, KColor* bg, FILE* err) {
    const std::pair<const std::string*, KColor*> colors[] = {{&o.face, &info.face},
                                                             {&o.border, &info.border},
                                                             {&o.shadow, &info.shadow},
                                                             {&o.back, &info.back},
                                                             {&o.bg, bg}};
    for (const auto& [text, color] : colors) {
        const std::optional<KColor> parsed = ParseColor(*text);
        if (!parsed) {
            std::fprintf(err, "tessaron-cli text: no colour %s\n", text->c_str());
            return false;
        }
        *color = *parsed;
    }
    return true;
}

// The largest canvas side: two 4K screens side by side.
constexpr int32_t kMaxCanvas = 8192;

}  // namespace

int RunTextVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App app("draw a text as a text object does", "text");
    TextOptions o;
    AddOptions(app, o);
    if (const int code = ParseVerbOptions(app, argc, argv, out, err); code >= 0) return code;

    TSettings settings;
    if (!StartToolSettings(o.home.empty() ? nullptr : o.home.c_str(), settings, err)) return 1;
    std::unique_ptr<KLog> log = OpenToolLog(settings);
    K3DFonts fonts(settings.Registry(), settings.Home(), log.get());
    KString faceName;
    KAppendUtf8(faceName, o.font);
    if (!fonts.Find(faceName)) {
        std::fprintf(err, "tessaron-cli text: no font %s\n", o.font.c_str());
        return 1;
    }
    K3DFontInfo info;
    info.SetFaceName(faceName);
    if (o.size) info.SetSize(*o.size);
    if (o.width) info.SetWidthPercent(*o.width);
    if (o.squeeze) {
        info.SetSqueeze(true);
        info.SetSqueezeMinimum(*o.squeeze);
    }
    info.borderSize = o.borderSize;
    info.shadowSize = o.shadowSize;
    info.textHandling = o.handling;
    KColor bg;
    if (!SetColors(o, info, &bg, err)) return 1;
    KString text(63, KString::kMaxLimit);
    KAppendUtf8(text, o.text);

    int32_t width = 0, height = 0;
    if (!o.rect.empty() && !ParseSizeOption(o.rect, kMaxCanvas, &width, &height)) {
        std::fprintf(err, "tessaron-cli text: bad rectangle %s\n", o.rect.c_str());
        return 1;
    }
    if (o.rect.empty()) {
        K3DFontInfo measuring(info);
        KPoint extent;
        fonts.Measure(text, measuring, &extent);
        width = std::clamp(extent.x, 1, kMaxCanvas);
        height = std::clamp(extent.y, 1, kMaxCanvas);
    }
    Canvas canvas(width, height, fonts.Colors().Pixel(bg) & 0xFFFFFF);
    K3DTextBlock(fonts, info)
        .Draw(K3DRect{0, 0, width - 1, height - 1}, text, o.justify, o.lines, canvas);
    const uint32_t* pixels = canvas.Pixels();
    const bool written = KPngWriter::Write(o.out, width, height, [&](int32_t y, uint8_t* rgb) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) {
            *rgb++ = static_cast<uint8_t>(row[x] >> 16);
            *rgb++ = static_cast<uint8_t>(row[x] >> 8);
            *rgb++ = static_cast<uint8_t>(row[x]);
        }
    });
    if (!written) {
        std::fprintf(err, "tessaron-cli text: cannot write %s\n", o.out.c_str());
        return 1;
    }
    std::fprintf(out, "{\"width\":%d,\"height\":%d,\"lines\":[%s]}\n", width, height,
                 canvas.LinesJson().c_str());
    return 0;
}

int RunFontsVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App app("list the fonts", "fonts");
    std::string home;
    app.add_option("--home", home, "the application folder");
    if (const int code = ParseVerbOptions(app, argc, argv, out, err); code >= 0) return code;
    TSettings settings;
    if (!StartToolSettings(home.empty() ? nullptr : home.c_str(), settings, err)) return 1;
    K3DFonts fonts(settings.Registry(), settings.Home(), nullptr);
    for (const K3DFont& font : fonts) {
        std::string line = "{\"name\":";
        AppendJsonString(line, font.Name());
        line +=
            font.HasFixedSizes() ? ",\"fixed\":true,\"sizes\":[" : ",\"fixed\":false,\"sizes\":[";
        for (int32_t i = 0; i < font.SizeCount(); ++i)
            line += (i ? "," : "") + std::to_string(font.SizeAt(i));
        line += "],\"default\":" + std::to_string(font.DefaultSize()) + "}\n";
        std::fputs(line.c_str(), out);
    }
    return 0;
}
