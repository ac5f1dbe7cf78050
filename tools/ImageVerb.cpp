#include "ImageVerb.h"

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "KBitmaps.h"
#include "KBufferedFile.h"
#include "KUtf8.h"
#include "KX.h"
#include "TSettings.h"
#include "ToolStartUp.h"
#include "VerbOptions.h"

namespace {

using Json = nlohmann::ordered_json;

void Print(FILE* out, const Json& object) {
    const std::string line = object.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
    std::fwrite(line.data(), 1, line.size(), out);
}

// Reads the file as a bitmap object reads its picture; the error code or 0.
int32_t Load(const std::string& path, bool gifUseBackground, KBitmaps& frames) {
    KString name(255, KFile::kMaxPath);
    KAppendUtf8(name, path);
    try {
        KBufferedFile file(name, 4096);
        file.Open(KFile::kRead | KFile::kRegularOnly, false);
        frames.SetGifUseBackground(gifUseBackground);
        frames.ReadFrames(file);
    } catch (const KX& e) {
        return e.Code();
    }
    return 0;
}

Json Summary(const std::string& path, const KBitmaps& frames) {
    Json delays = Json::array();
    for (const KBitmap& f : frames.Frames()) delays.push_back(f.Delay());
    return Json{{"file", path},
                {"frames", frames.Count()},
                {"width", frames.Width()},
                {"height", frames.Height()},
                {"loop", frames.LoopCount()},
                {"delays", delays}};
}

// Writes frame i as outDir/frame-iii.png; false, with a message, when one fails.
bool WriteFrames(const KBitmaps& frames, const std::string& outDir, FILE* err) {
    if (!MakeOutputFolder(outDir, "image", err)) return false;
    int i = 0;
    for (const KBitmap& f : frames.Frames()) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%03d.png", i++);
        if (!f.SavePng(outDir + name)) {
            std::fprintf(err, "tessaron-cli image: cannot write %s%s\n", outDir.c_str(), name);
            return false;
        }
    }
    return true;
}

}  // namespace

int RunImageVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App verb("Loads a picture as a bitmap object loads it and describes its frames.", "image");
    std::string home, scale, outDir, path;
    verb.add_option("--home", home, "the program's home folder (for Display\\GIFUseBg)");
    verb.add_option("--scale", scale, "scale every frame to W x H (a negative side keeps it)")
        ->check([](const std::string& text) {
            int w, h;
            char end;
            return std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &end) == 2 ? ""
                                                                           : "not WxH: " + text;
        });
    verb.add_option("--out", outDir, "write each frame there as frame-000.png, ...");
    verb.add_option("FILE", path, "the picture: Targa, JPEG or GIF by its extension")->required();
    if (const int done = ParseVerbOptions(verb, argc, argv, out, err); done >= 0) return done;

    TSettings settings;
    if (!StartToolSettings(home.empty() ? nullptr : home.c_str(), settings, err)) return 1;
    const KRInt* useBackground = settings.Registry().FindInt(u"\\Display\\GIFUseBg");

    std::unique_ptr<KBitmaps> frames(new KBitmaps(KBitmap::kImageFormat));
    if (const int32_t code = Load(path, useBackground && useBackground->value == 1, *frames)) {
        Print(out, Json{{"file", path}, {"error", code}});
        return 1;
    }
    if (!scale.empty()) {
        int width = 0, height = 0;
        std::sscanf(scale.c_str(), "%dx%d", &width, &height);
        frames = frames->ScaledFrames(width, height);
        if (!frames) {
            Print(out, Json{{"file", path}, {"error", "scale"}});
            return 1;
        }
    }
    Print(out, Summary(path, *frames));
    if (!outDir.empty() && !WriteFrames(*frames, outDir, err)) return 1;
    return 0;
}
