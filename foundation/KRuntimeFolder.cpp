#include "KRuntimeFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

KRuntimeFolder::KRuntimeFolder(const std::string& temp) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        path_ = runtime;
        return;
    }
    const std::string folder = temp + "/tessaron-" + std::to_string(geteuid());
    const std::string why = Check(folder);
    if (why.empty()) {
        path_ = folder;
        return;
    }
    problem_ = folder + " " + why +
               ": it is not used, so running copies are not counted and cannot reach each "
               "other. Remove it, or set XDG_RUNTIME_DIR to a folder of your own.";
}

std::string KRuntimeFolder::Check(const std::string& folder) {
    // mkdir makes no link's target, and an existing name is judged by lstat,
    // which does not follow a link either.
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::string("cannot be made (") + std::strerror(errno) + ")";
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0)
        return std::string("cannot be examined (") + std::strerror(errno) + ")";
    if (!S_ISDIR(info.st_mode)) return "is not a folder";
    if (info.st_uid != geteuid())
        return "belongs to user " + std::to_string(info.st_uid) + ", not to user " +
               std::to_string(geteuid());
    if ((info.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(info.st_mode & 07777));
        return std::string("has mode ") + mode + ", where only its owner may enter it (0700)";
    }
    return "";
}
