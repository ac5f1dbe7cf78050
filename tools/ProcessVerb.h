#pragma once

#include <cstdio>

// tessaron-cli process [--process TEXT] VALUE...
int RunProcessVerb(int argc, char** argv, FILE* out, FILE* err);
