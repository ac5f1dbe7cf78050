#pragma once

#include <cstdio>

// tessaron-cli open: asks the running copy of the program to open a layout.
int RunOpenVerb(int argc, char** argv, FILE* out, FILE* err);
