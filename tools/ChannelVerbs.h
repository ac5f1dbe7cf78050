#pragma once

#include <cstdio>

// tessaron-cli ports [--home DIR]
int RunPortsVerb(int argc, char** argv, FILE* out, FILE* err);
// tessaron-cli feed [--home DIR] --to SPEC [--rate BYTES_PER_SECOND] [--repeat N] [FILE]
int RunFeedVerb(int argc, char** argv, FILE* out, FILE* err);
