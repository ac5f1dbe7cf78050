// tessaron-cli: the headless tools of Tessaron.

#include <cstdio>
#include <cstring>

#include "ChannelVerbs.h"
#include "FntVerb.h"
#include "FrameVerb.h"
#include "ImageVerb.h"
#include "LayoutVerb.h"
#include "MonitorVerb.h"
#include "OpenVerb.h"
#include "ProcessVerb.h"
#include "RenderVerb.h"
#include "ServeVerb.h"
#include "SettingsVerb.h"
#include "TextVerb.h"
#include "ToolStartUp.h"
#include "VideoVerb.h"

namespace {

struct Verb {
    const char* name;
    int (*run)(int argc, char** argv, FILE* out, FILE* err);
    const char* summary;
};

constexpr Verb kVerbs[] = {
    {"open", RunOpenVerb,
     "open PATH                                    ask the running program to open a layout"},
    {"process", RunProcessVerb, "process [--process TEXT] VALUE...   try a field process text"},
    {"frame", RunFrameVerb,
     "frame [--charmode 0|1|2] [--source NAME] [--buffer N] [--trace] [--quiet] [--stats] SCRIPT "
     "[INPUT]\n"
     "                                            frame captured bytes with a source script"},
    {"settings", RunSettingsVerb,
     "settings [--home DIR] get PATH | set PATH VALUE | lines [PATH] | help PATH\n"
     "                                            read and change the configuration"},
    {"monitor", RunMonitorVerb,
     "monitor [--home DIR] [--seconds N]         run the sources, packets as JSON lines"},
    {"ports", RunPortsVerb, "ports [--home DIR]                           list the serial ports"},
    {"feed", RunFeedVerb,
     "feed [--home DIR] --to SPEC [--rate BYTES_PER_SECOND] [--repeat N] [FILE]\n"
     "                                            send a file through a channel"},
    {"text", RunTextVerb,
     "text [--home DIR] [--font NAME] [--size N] [--width PCT] [--squeeze MIN] [--face C]\n"
     "      [--border C] [--shadow C] [--back C] [--border-size N] [--shadow-size N]\n"
     "      [--handling 0|1|2] [--rect WxH] [--lines N] [--justify 0|1|2] [--bg C]\n"
     "      --out FILE.png TEXT                   draw a text as a text object does"},
    {"fonts", RunFontsVerb, "fonts [--home DIR]                           list the fonts"},
    {"fnt", RunFntVerb,
     "fnt [--home DIR] [--font FAMILY] --size N [--size N]... --out DIR\n"
     "                                            make bitmap-font files from a system font"},
    {"image", RunImageVerb,
     "image [--home DIR] [--scale WxH] [--out DIR] FILE\n"
     "                                            check a picture, its frames as PNG"},
    {"layout", RunLayoutVerb,
     "layout [--home DIR] show FILE | convert IN OUT | new OUT\n"
     "                                            layout files as JSON, and back"},
    {"render", RunRenderVerb,
     "render [--home DIR] [--size WxH] [--capture FILE [--rate N]] [--at MS]\n"
     "      [--every MS --frames DIR] [--key K]... [--out FILE.png] LAYOUT...\n"
     "                                            show layouts on a virtual clock"},
    {"serve", RunServeVerb,
     "serve [--home DIR] [--size WxH] [--listen ADDR:PORT] LAYOUT...\n"
     "                                            run layouts live and serve them on the web"},
    {"video", RunVideoVerb,
     "video [--home DIR] --size WxH [--rotate 0|1|2] [--split] --out FILE.png [FILE]\n"
     "                                            draw a video display command stream"},
};

// The verbs and what they do: the answer to --help, and on a wrong call.
void PrintUsage(FILE* out) {
    std::fputs(
        "Usage: tessaron-cli VERB ...\n"
        "The headless tools of Tessaron: source scripts and field processing, settings,\n"
        "serial ports, feeding and monitoring sources, texts, pictures and layouts drawn\n"
        "to PNG files, layouts as JSON, and the board served on the web. Each verb\n"
        "takes --help for its options.\n\n"
        "Verbs:\n",
        out);
    for (const Verb& verb : kVerbs) std::fprintf(out, "  tessaron-cli %s\n", verb.summary);
    std::fputs(
        "\nOptions:\n"
        "  -noserialport                               opens no serial port, with any verb\n"
        "  --help                                      shows this help and exits\n"
        "  --version                                   shows the version and exits\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    // The program option that keeps every serial port out of use.
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "-noserialport") == 0) {
            SetNoSerialPort(true);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    const char* first = argc >= 2 ? argv[1] : "";
    if (std::strcmp(first, "--help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (std::strcmp(first, "--version") == 0) {
        std::printf("tessaron-cli %s\n", TESSARON_VERSION);
        return 0;
    }
    for (const Verb& verb : kVerbs) {
        if (std::strcmp(first, verb.name) == 0) return verb.run(argc - 2, argv + 2, stdout, stderr);
    }
    PrintUsage(stderr);
    return 2;
}
