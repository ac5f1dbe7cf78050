#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <string>

// Every verb parses its command line with one CLI11 application named after
// the verb, so that all have --help, numbers are checked, and mistakes are
// reported in one form: a message on err and exit code 2. The answer is -1
// when the verb goes on, otherwise the code to exit with (0 after --help).
int ParseVerbOptions(CLI::App& verb, int argc, char** argv, FILE* out, FILE* err);

// Reads a size option "WxH" with both sides in 1..maxSide.
bool ParseSizeOption(const std::string& text, int32_t maxSide, int32_t* width, int32_t* height);
