#pragma once

#include <cstdio>

// tessaron-cli layout [--home DIR] show FILE | convert IN OUT | new OUT
int RunLayoutVerb(int argc, char** argv, FILE* out, FILE* err);
