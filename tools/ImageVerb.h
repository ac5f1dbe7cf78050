#pragma once

#include <cstdio>

// tessaron-cli image [--home DIR] [--scale WxH] [--out DIR] FILE
int RunImageVerb(int argc, char** argv, FILE* out, FILE* err);
