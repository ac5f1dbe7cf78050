#pragma once

#include <cstdio>

// tessaron-cli fnt [--home DIR] [--font FAMILY] --size N [--size N]... --out DIR
// Renders the printable characters 32-255 of a system font and writes one
// bitmap-font file per size.
int RunFntVerb(int argc, char** argv, FILE* out, FILE* err);
