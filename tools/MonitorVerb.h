#pragma once

#include <cstdio>

// tessaron-cli monitor [--home DIR] [--seconds N]
int RunMonitorVerb(int argc, char** argv, FILE* out, FILE* err);
