#include "ToolStartUp.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "KSerialPort.h"
#include "KUtf8.h"
#include "TProgramHome.h"

namespace {
bool noSerialPort = false;
}

void SetNoSerialPort(bool on) {
    noSerialPort = on;
}

void EnumerateToolPorts(KRegistry& settings) {
    KSerialPorts::Program().Enumerate(settings, noSerialPort);
}

bool StartToolSettings(const char* homeOption, TSettings& settings, FILE* err, bool willSave) {
    const std::string home = ResolveProgramHome(homeOption);
    if (home.empty()) {
        std::fputs("tessaron-cli: no usable home folder\n", err);
        return false;
    }
    // A configuration that cannot be read leaves the defaults; the tool goes
    // on, but will not save over the file.
    if (settings.Start(home, !willSave) != 0)
        std::fprintf(err, "tessaron-cli: cannot read %s; it will not be changed\n",
                     settings.ConfigPath().c_str());
    return true;
}

std::unique_ptr<KLog> OpenToolLog(const TSettings& settings) {
    KString path;
    KAppendUtf8(path, settings.Home() + "/tessaron.log");
    return std::make_unique<KLog>(path);
}

bool MakeOutputFolder(const std::string& folder, const char* verb, FILE* err) {
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (!failure) return true;
    std::fprintf(err, "tessaron-cli %s: cannot make the folder %s\n", verb, folder.c_str());
    return false;
}

bool SaveToolSettings(TSettings& settings, const char* verb, FILE* err) {
    if (settings.Save() == 0) return true;
    std::fprintf(err, "tessaron-cli %s: cannot save %s%s\n", verb, settings.ConfigPath().c_str(),
                 settings.ConfigFailed() ? ": it could not be read at start" : "");
    return false;
}
