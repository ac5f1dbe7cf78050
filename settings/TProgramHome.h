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
// TESSARON_HOME variable); otherwise the program's own folder when it is
// writable; otherwise ~/.local/share/tessaron, seeded on first use with the
// files shipped beside the program. Empty when none can be made.
std::string ResolveProgramHome(const char* given);

// The folder of the running program.
std::string ProgramFolder();

// The per-user store of the current profile name, a one-line text file
// under $XDG_CONFIG_HOME (default ~/.config). Reading gives an empty name
// when there is none; names are kept to 63 characters.
std::string ProfileStorePath();
bool ReadProfileName(std::string* name);
bool WriteProfileName(const std::string& name);
