#include "VideoVerb.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

#include "K3DFonts.h"
#include "KLog.h"
#include "KUtf8.h"
#include "KVideoDisplay.h"
#include "ToolStartUp.h"
#include "VerbOptions.h"

namespace {

struct VideoOptions {
    std::string home, size, out, file;
    int rotate = 0;
    bool split = false;
};

// Sizes the display refuses still reach it, so that its answer shows.
bool ParseSize(const std::string& text, int32_t* width, int32_t* height) {
    return ParseSizeOption(text, INT32_MAX, width, height);
}

void AddOptions(CLI::App& app, VideoOptions& o) {
    app.add_option("--home", o.home, "the application folder (settings, fonts, pictures)");
    app.add_option("--size", o.size, "the object's size WxH")
        ->required()
        ->check([](const std::string& text) {
            int32_t w, h;
            return ParseSize(text, &w, &h) ? "" : "not WxH: " + text;
        });
    app.add_option("--rotate", o.rotate, "0 none, 1 left, 2 right")->check(CLI::Range(0, 2));
    app.add_flag("--split", o.split, "each line is its own field value");
    app.add_option("--out", o.out, "PNG file to write")->required();
    app.add_option("FILE", o.file, "the command stream (default: standard input)");
}

bool ReadInput(const std::string& path, std::string* bytes) {
    if (path.empty()) {
        bytes->assign(std::istreambuf_iterator<char>(std::cin), {});
        return !std::cin.bad();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

// Feeds the bytes as one value, or each line (its LF or CR LF removed) as
// its own; true when any value asked for a flush.
bool FeedValues(KVideoDisplay& display, const std::string& bytes, bool split) {
    bool flush = false;
    KString value(255, KString::kMaxLimit);
    size_t from = 0;
    while (from < bytes.size() || (from == 0 && !split)) {
        size_t end = split ? bytes.find('\n', from) : bytes.size();
        if (end == std::string::npos) end = bytes.size();
        size_t length = end - from;
        if (split && length > 0 && bytes[end - 1] == '\r') --length;
        value.Empty();
        KAppendUtf8(value, bytes.data() + from, length);
        display.Feed(value);
        flush = display.TakeFlush() || flush;
        from = end + 1;
    }
    return flush;
}

}  // namespace

int RunVideoVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App app("draw a video display command stream", "video");
    VideoOptions o;
    AddOptions(app, o);
    if (const int code = ParseVerbOptions(app, argc, argv, out, err); code >= 0) return code;

    std::string bytes;
    if (!ReadInput(o.file, &bytes)) {
        std::fprintf(err, "tessaron-cli video: cannot read %s\n", o.file.c_str());
        return 1;
    }
    TSettings settings;
    if (!StartToolSettings(o.home.empty() ? nullptr : o.home.c_str(), settings, err)) return 1;
    KString home;
    KAppendUtf8(home, settings.Home());
    std::unique_ptr<KLog> log = OpenToolLog(settings);
    K3DFonts fonts(settings.Registry(), settings.Home(), log.get());
    KVideoDisplay display(&fonts, home);
    int32_t width = 0, height = 0;
    ParseSize(o.size, &width, &height);
    if (!display.Setup(width, height, o.rotate)) {
        std::fputs("{\"error\":\"setup\"}\n", out);
        return 1;
    }
    const bool flush = FeedValues(display, bytes, o.split);
    if (!display.Buffer().SavePng(o.out)) {
        std::fprintf(err, "tessaron-cli video: cannot write %s\n", o.out.c_str());
        return 1;
    }
    std::fprintf(out, "{\"flush\":%s,\"columns\":%d,\"rows\":%d,\"cursor\":[%d,%d]}\n",
                 flush ? "true" : "false", display.Columns(), display.Rows(),
                 display.CursorColumn(), display.CursorRow());
    return 0;
}
