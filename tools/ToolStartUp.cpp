#include "ToolStartUp.h"

#include <string>

#include "KSerialPort.h"
#include "TProgramHome.h"

namespace {
bool noSerialPort = false;
}

void SetNoSerialPort(bool on) { noSerialPort = on; }

void EnumerateToolPorts(KRegistry& settings) { KSerialPorts::Program().Enumerate(settings, noSerialPort); }

bool StartToolSettings(const char* homeOption, TSettings& settings, FILE* err) {
    const std::string home = ResolveProgramHome(homeOption);
    if (home.empty()) {
        std::fputs("tessaron-cli: no usable home folder\n", err);
        return false;
    }
    // A configuration that cannot be read leaves the defaults; the tool goes on.
    if (settings.Start(home) != 0)
        std::fprintf(err, "tessaron-cli: cannot read %s\n", settings.ConfigPath().c_str());
    return true;
}
