#pragma once

#include <cstdio>

// tessaron-cli frame [--charmode 0|1|2] [--source NAME] [--buffer N] [--trace]
//                    [--quiet] [--stats] SCRIPT [INPUT]
int RunFrameVerb(int argc, char** argv, FILE* out, FILE* err);
