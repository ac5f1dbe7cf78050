#pragma once

#include <cstddef>
#include <string>

// The application's own configuration file in its directory; profiles are
// the other configuration files there.
constexpr const char* kConfigFileName = "tessaron.cfg";
// The longest profile name kept.
constexpr size_t kMaxProfileName = 63;

// The application directory: where the configuration, the log, language
// files and scripts live. It is the folder given (an option, else the
// TESSARON_HOME variable); otherwise the program's own folder when the
// shipped files are there (a build or an unpacked copy) and it is writable;
// otherwise ~/.local/share/tessaron, where the shipped files that it lacks
// are copied. Empty when none can be made.
std::string ResolveProgramHome(const char* given);

// The folder of the running program.
std::string ProgramFolder();

// Where the files shipped with the program (language files, scripts, bitmap
// fonts, pictures, the demo's layouts) are, for a program in this folder:
// share/tessaron beside the program's folder when it exists (an installed
// program, /usr/bin and /usr/share/tessaron), else the program's folder
// itself (a build, build/bin).
std::string ShippedFolder(const std::string& programFolder);

// The per-user store of the current profile name, a one-line text file
// under $XDG_CONFIG_HOME (default ~/.config). Reading gives an empty name
// when there is none; names are kept to 63 characters.
std::string ProfileStorePath();
bool ReadProfileName(std::string* name);
bool WriteProfileName(const std::string& name);
