#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "KLog.h"
#include "TSettings.h"

// The settings part of start-up for a tool, as the program does it: the home
// (homeOption, else as the platform rules say) and its settings. Problems go
// to err; false when there is no usable home. A tool that will not save
// (willSave false) writes nothing, not even the profile file.
bool StartToolSettings(const char* homeOption, TSettings& settings, FILE* err,
                       bool willSave = false);
// The log of the home, "tessaron.log".
std::unique_ptr<KLog> OpenToolLog(const TSettings& settings);
// Makes the folder a verb writes its files to, with its parents; false,
// with a message naming the verb, when it cannot be made.
bool MakeOutputFolder(const std::string& folder, const char* verb, FILE* err);
// Saves the configuration at the end of a tool's run; false, with a message
// naming the verb, when it was not saved (one that could not be read at
// start never is).
bool SaveToolSettings(TSettings& settings, const char* verb, FILE* err);

// The serial ports as the program sees them, none with the program option
// -noserialport (which the tools take anywhere on their command line).
void EnumerateToolPorts(KRegistry& settings);
void SetNoSerialPort(bool on);
