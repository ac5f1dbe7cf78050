#pragma once

#include <cstdio>

// tessaron-cli settings [--home DIR] get PATH | set PATH VALUE | lines [PATH] | help PATH
int RunSettingsVerb(int argc, char** argv, FILE* out, FILE* err);
