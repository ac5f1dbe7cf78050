#pragma once

#include <cstdio>

#include "TSettings.h"

// The settings part of start-up for a tool, as the program does it: the home
// (homeOption, else as the platform rules say) and its settings. Problems go
// to err; false when there is no usable home.
bool StartToolSettings(const char* homeOption, TSettings& settings, FILE* err);

// The serial ports as the program sees them, none with the program option
// -noserialport (which the tools take anywhere on their command line).
void EnumerateToolPorts(KRegistry& settings);
void SetNoSerialPort(bool on);
