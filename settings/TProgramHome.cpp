#include "TProgramHome.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "KAtomicSave.h"
#include "KFile.h"
#include "KReadCursor.h"
#include "KUtf8.h"
#include "KX.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsWritableFolder(const std::string& path) {
    return IsFolder(path) && access(path.c_str(), W_OK) == 0;
}

bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return IsWritableFolder(path);
    }
}

// Copies the shipped files (language files, scripts, bitmap fonts, the
// pictures the demo's layouts show) that the folder lacks; what the user
// changed stays as it is.
void Seed(const std::string& home, const std::string& from) {
    DIR* dir = opendir(from.c_str());
    if (!dir) return;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        const size_t dot = name.rfind('.');
        const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
        if (ext != ".lng" && ext != ".rss" && ext != ".fnt" && ext != ".tga") continue;
        KString source, target;
        KAppendUtf8(source, from + "/" + name);
        KAppendUtf8(target, home + "/" + name);
        KFile file(source);
        KFile copy(target);
        if (!copy.Exists()) file.CopyTo(copy);
    }
    closedir(dir);
}

std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

}  // namespace

std::string ProgramFolder() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string exe(path, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

std::string ShippedFolder(const std::string& programFolder) {
    const std::string installed =
        programFolder.substr(0, programFolder.rfind('/')) + "/share/tessaron";
    return IsFolder(installed) ? installed : programFolder;
}

std::string ResolveProgramHome(const char* given) {
    if (!given || !*given) given = std::getenv("TESSARON_HOME");
    if (given && *given) return MakeFolders(given) ? given : "";
    const std::string own = ProgramFolder();
    const std::string shipped = ShippedFolder(own);
    // An installed program never writes beside itself, even as root.
    if (shipped == own && IsWritableFolder(own)) return own;
    const char* user = std::getenv("HOME");
    const std::string fallback = std::string(user ? user : "") + "/.local/share/tessaron";
    if (!MakeFolders(fallback)) return "";
    Seed(fallback, shipped);
    return fallback;
}

std::string ProfileStorePath() {
    return ConfigHome() + "/Quillmark/Tessaron/Profile";
}

bool ReadProfileName(std::string* name) {
    KString path;
    KAppendUtf8(path, ProfileStorePath());
    KFile file(path);
    if (file.TryOpen(KFile::kRead | KFile::kRegularOnly, false) != 0) return false;
    char bytes[65] = {};
    KReadCursor cursor(file);
    cursor.Read(bytes, static_cast<int32_t>(std::min<int64_t>(file.GetSize(), 64)));
    *name = std::string(bytes, std::strcspn(bytes, "\r\n"));
    return cursor.Error() == 0;
}

bool WriteProfileName(const std::string& name) {
    const std::string path = ProfileStorePath();
    if (!MakeFolders(path.substr(0, path.rfind('/')))) return false;
    KString target;
    KAppendUtf8(target, path);
    try {
        KSaveAtomically(target, [&](KStream& s) {
            const std::string line = name.substr(0, kMaxProfileName) + "\n";
            s.Write(line.data(), static_cast<int32_t>(line.size()));
        });
    } catch (const KX&) {
        return false;
    }
    return true;
}
