#pragma once

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

// Parses a verb's arguments (without the program and verb names). Returns -1
// to go on, else the exit code: 0 after printing the help to out, 2 after a
// usage error on err.
inline int ParseVerbOptions(CLI::App& app, int argc, char** argv, FILE* out, FILE* err) {
    std::vector<std::string> args(argv, argv + argc);
    std::reverse(args.begin(), args.end());  // CLI11 takes them last first
    try {
        app.parse(args);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), out);
        return 0;
    } catch (const CLI::ParseError& e) {
        std::fprintf(err, "tessaron-cli %s: %s\n", app.get_name().c_str(), e.what());
        return 2;
    }
    return -1;
}
