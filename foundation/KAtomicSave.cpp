#include "KAtomicSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "KBufferedFile.h"
#include "KUtf8.h"
#include "KX.h"

namespace {

// Makes the rename itself durable; a failure here loses nothing already done.
void SyncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// A path saved through a link replaces the file linked to, and the link
// stays.
std::string LinkedFile(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;  // not there yet
    std::string resolved(real);
    free(real);
    return resolved;
}

}  // namespace

void KSaveAtomically(const KString& path, const std::function<void(KStream&)>& write) {
    const std::string target = LinkedFile(KUtf8Of(path));
    std::string temp = target + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) throw KXStream(kErrFileOpen, 0);
    // The new file keeps the old one's permissions, or gets the usual ones.
    struct stat old;
    if (stat(target.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    } else {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    close(fd);
    try {
        KString tempPath;
        KAppendUtf8(tempPath, temp);
        KBufferedFile file(tempPath);
        file.Open(KFile::kWrite, false);
        write(file);
        file.Sync();
        file.Close();
    } catch (...) {
        unlink(temp.c_str());
        throw;
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        throw KXStream(kErrFileWrite, 0);
    }
    SyncFolderOf(target);
}
