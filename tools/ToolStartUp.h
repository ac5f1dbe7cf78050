#pragma once

#include <cstdio>

#include "TSettings.h"

// The settings part of start-up for a tool, as the program does it: the home
// (homeOption, else as the platform rules say) and its settings. Problems go
// to err; false when there is no usable home.
bool StartToolSettings(const char* homeOption, TSettings& settings, FILE* err);
