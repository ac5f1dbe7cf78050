#include "KFileInfo.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <cstring>

#include "KUtf8.h"

void KFileTimes(const std::string& path, KDateTime* created, KDateTime* written) {
    struct statx sx;
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &sx) != 0) return;
    const statx_timestamp& birth = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime;
    if (created) *created = KDateTime::FromTimespec({birth.tv_sec, birth.tv_nsec});
    if (written) *written = KDateTime::FromTimespec({sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec});
}

KFileInfo::~KFileInfo() {
    if (search_) closedir(search_);
}

bool KFileInfo::FindNext(const KFile& file) {
    if (!started_) {
        started_ = true;
        const std::string path = file.NativePath();
        const size_t slash = path.rfind('/');
        folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        pattern_ = slash == std::string::npos ? path : path.substr(slash + 1);
        search_ = opendir(folder_.c_str());
    }
    while (search_) {
        const dirent* entry = readdir(search_);
        if (!entry) break;
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        if (fnmatch(pattern_.c_str(), entry->d_name, FNM_CASEFOLD | FNM_PERIOD) != 0) continue;
        name.Empty();
        KAppendUtf8(name, entry->d_name, std::strlen(entry->d_name));
        KFileTimes(folder_ + "/" + entry->d_name, &creationTime, &lastWriteTime);
        return true;
    }
    if (search_) {
        closedir(search_);
        search_ = nullptr;
    }
    return false;
}
