#pragma once

#include <cstdio>

// tessaron-cli serve [--home DIR] [--size WxH] [--listen ADDR:PORT] LAYOUT...
int RunServeVerb(int argc, char** argv, FILE* out, FILE* err);
