#include "VerbOptions.h"

#include <algorithm>
#include <string>
#include <vector>

int ParseVerbOptions(CLI::App& verb, int argc, char** argv, FILE* out, FILE* err) {
    // CLI11 takes the arguments last first.
    std::vector<std::string> args(argv, argv + argc);
    std::reverse(args.begin(), args.end());
    try {
        verb.parse(args);
        return -1;
    } catch (const CLI::CallForHelp&) {
        std::fputs(verb.help().c_str(), out);
        return 0;
    } catch (const CLI::ParseError& e) {
        std::fprintf(err, "tessaron-cli %s: %s\n", verb.get_name().c_str(), e.what());
        std::fprintf(err, "Run tessaron-cli %s --help for the options.\n", verb.get_name().c_str());
        return 2;
    }
}

bool ParseSizeOption(const std::string& text, int32_t maxSide, int32_t* width, int32_t* height) {
    char tail;
    return std::sscanf(text.c_str(), "%dx%d%c", width, height, &tail) == 2 && *width > 0 &&
           *height > 0 && *width <= maxSide && *height <= maxSide;
}
