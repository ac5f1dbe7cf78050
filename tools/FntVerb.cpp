#include "FntVerb.h"

#include <string>
#include <vector>

#include "K3DFonts.h"
#include "K3DSystemFont.h"
#include "KUtf8.h"
#include "ToolStartUp.h"
#include "VerbOptions.h"

namespace {

// Latin-1 codes without a picture: the controls 127-159.
bool IsPrintable(int code) {
    return code >= 32 && (code < 127 || code > 159);
}

void PutInt16(std::string& out, int32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8 & 0xFF);
}

// One glyph record: code, rectangle, then the rows bottom first, codes 1-8
// stored as "q".."x" and 0 as "p".
void AppendRecord(std::string& out, int code, const uint32_t* cells, KPoint extent) {
    out += static_cast<char>(code);
    PutInt16(out, 0);
    PutInt16(out, 0);
    PutInt16(out, extent.x - 1);
    PutInt16(out, extent.y - 1);
    for (int32_t y = extent.y - 1; y >= 0; --y) {
        for (int32_t x = 0; x < extent.x; ++x)
            out += static_cast<char>('p' + cells[static_cast<size_t>(y) * extent.x + x]);
    }
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int RunFntVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App app("make bitmap-font files from a system font", "fnt");
    std::string home, family = "DejaVu Sans", folder;
    std::vector<int> sizes;
    app.add_option("--home", home, "the application folder");
    app.add_option("--font", family, "the family to render");
    app.add_option("--size", sizes, "a cell height (repeatable)")
        ->required()
        ->check(CLI::Range(10, 999));
    app.add_option("--out", folder, "the folder to write to")->required();
    if (const int code = ParseVerbOptions(app, argc, argv, out, err); code >= 0) return code;

    if (!MakeOutputFolder(folder, "fnt", err)) return 1;
    TSettings settings;
    if (!StartToolSettings(home.empty() ? nullptr : home.c_str(), settings, err)) return 1;
    K3DFonts fonts(settings.Registry(), settings.Home(), nullptr);
    KString name;
    KAppendUtf8(name, family);
    auto* font = dynamic_cast<K3DSystemFont*>(fonts.Find(name));
    if (!font) {
        std::fprintf(err, "tessaron-cli fnt: no font %s\n", family.c_str());
        return 1;
    }
    for (const int size : sizes) {
        K3DFontInfo info;
        info.SetFaceName(name);
        info.SetSize(size);
        std::string bytes;
        for (int code = 32; code <= 255; ++code) {
            const uint32_t* cells;
            KPoint extent;
            if (IsPrintable(code) &&
                font->CharCodes(static_cast<KChar>(code), info, &cells, &extent))
                AppendRecord(bytes, code, cells, extent);
        }
        const std::string path = folder + "/" + family + " " + std::to_string(size) + ".fnt";
        if (!WriteFile(path, bytes)) {
            std::fprintf(err, "tessaron-cli fnt: cannot write %s\n", path.c_str());
            return 1;
        }
        std::fprintf(out, "%s\n", path.c_str());
    }
    return 0;
}
