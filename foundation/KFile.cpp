#include "KFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>

#include "KFileInfo.h"
#include "KUtf8.h"
#include "KX.h"

namespace {

bool IsOneOf(KChar c, const char16_t* set) {
    for (; *set; ++set)
        if (*set == c) return true;
    return false;
}

bool ReplaceAll(KString& s, KChar c, const char16_t* set) {
    bool changed = false;
    for (int32_t i = 0; i < s.Length(); ++i) {
        if (IsOneOf(s.CharAt(i), set)) {
            s.SetCharAt(i, c);
            changed = true;
        }
    }
    return changed;
}

}  // namespace

KFile::~KFile() {
    KFile::Close();
}

std::string KFile::NativePath() const {
    return KUtf8Of(path_);
}

void KFile::Close() {
    if (IsOpen()) {
        try {
            SetDirection(kNone);
        } catch (const KX&) {
        }
        if (mode_ & kWrite) fsync(fd_);
        close(fd_);
        fd_ = -1;
    }
    KStream::Close();
}

int KFile::SetDirection(int direction) {
    if ((direction == kReading && !(mode_ & kRead)) || (direction == kWriting && !(mode_ & kWrite)))
        return 0;
    return KStream::SetDirection(direction);
}

void KFile::Open(int mode, bool create) {
    if (IsOpen()) throw KXStream(kErrFileAlreadyOpen, 0);
    mode_ = mode;
    readFailed_ = false;
    KStream::SetDirection(kNone);
    const int access = mode & kReadWrite;
    const bool regularOnly = (mode & kRegularOnly) != 0;
    int flags = access == kReadWrite ? O_RDWR : access == kWrite ? O_WRONLY : O_RDONLY;
    flags |= O_CLOEXEC | (create ? O_CREAT : 0) | (regularOnly ? O_NONBLOCK | O_NOCTTY : 0);
    do {
        fd_ = open(NativePath().c_str(), flags, 0666);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) throw KXStream(kErrFileOpen, 0);
    struct stat st;
    const bool refused =
        fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode) ||
        (regularOnly && (!S_ISREG(st.st_mode) || fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0));
    if (refused) {
        close(fd_);
        fd_ = -1;
        throw KXStream(kErrFileOpen, 0);
    }
}

int32_t KFile::TryOpen(int mode, bool create) {
    try {
        Open(mode, create);
    } catch (const KX& e) {
        return e.Code();
    }
    return 0;
}

int64_t KFile::RawRead(void* buffer, int64_t n) {
    int64_t done = 0;
    while (done < n) {
        ssize_t got = read(fd_, static_cast<char*>(buffer) + done, static_cast<size_t>(n - done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            readFailed_ = true;
            return done > 0 ? done : -1;
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

int64_t KFile::RawWrite(const void* buffer, int64_t n) {
    int64_t done = 0;
    while (done < n) {
        ssize_t put =
            write(fd_, static_cast<const char*>(buffer) + done, static_cast<size_t>(n - done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return done > 0 ? done : -1;
        done += put;
    }
    return done;
}

int64_t KFile::RawSeek(int64_t offset, int whence) {
    return lseek(fd_, offset, whence);
}

void KFile::Read(void* buffer, int32_t n) {
    if (n <= 0) return;
    if (!IsOpen() || SetDirection(kReading) == 0) throw KXStream(kErrFileRead, 0);
    int64_t got = RawRead(buffer, n);
    if (got > 0) NotifyRead(buffer, static_cast<int32_t>(got));
    if (got != n) throw KXStream(kErrFileRead, got > 0 ? static_cast<int32_t>(got) : 0);
}

void KFile::Write(const void* buffer, int32_t n) {
    if (n <= 0) return;
    if (!IsOpen() || SetDirection(kWriting) == 0) throw KXStream(kErrFileWrite, 0);
    int64_t put = RawWrite(buffer, n);
    if (put > 0) NotifyWrite(buffer, static_cast<int32_t>(put));
    if (put != n) throw KXStream(kErrFileWrite, put > 0 ? static_cast<int32_t>(put) : 0);
}

void KFile::Sync() {
    if (!IsOpen()) throw KXStream(kErrFileWrite, 0);
    FlushBuffer();
    if (fsync(fd_) != 0) throw KXStream(kErrFileWrite, 0);
}

int64_t KFile::GetSize() {
    struct stat st;
    if (!IsOpen() || fstat(fd_, &st) != 0) throw KXStream(kErrFileAccess, 0);
    return st.st_size;
}

void KFile::SetLength(int64_t n) {
    if (!IsOpen() || n < 0 || ftruncate(fd_, n) != 0 || GetSize() != n)
        throw KXStream(kErrFileAccess, 0);
}

int64_t KFile::Tell() {
    int64_t at = IsOpen() ? RawSeek(0, SEEK_CUR) : -1;
    if (at < 0) throw KXStream(kErrFileAccess, 0);
    return at;
}

void KFile::Seek(int64_t offset, int origin) {
    if (!IsOpen() || origin < 0 || origin > 2) throw KXStream(kErrFileAccess, 0);
    const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    if (RawSeek(offset, whence) < 0) throw KXStream(kErrFileAccess, 0);
}

void KFile::SetPath(const KString& path) {
    path_.Assign(path);
}

void KFile::Assign(const KFile& other) {
    if (&other == this) return;
    Close();
    mode_ = other.mode_;
    path_.Assign(other.path_);
}

void KFile::SetDirectory(const KString& dir) {
    path_.Assign(dir);
    if (path_.CharAt(path_.Length() - 1) != u'/') path_.AppendChar(u'/');
}

void KFile::GetDirectory(KString& out) const {
    path_.SubString(out, 0, LastSeparator());
}

int32_t KFile::ExtensionDot() const {
    const int32_t dot = path_.FindLast(u'.');
    return dot > LastSeparator() && dot >= path_.Length() - 4 ? dot : -1;
}

void KFile::GetName(KString& out, bool withExtension) const {
    const int32_t from = LastSeparator() + 1;
    const int32_t dot = withExtension ? -1 : ExtensionDot();
    path_.SubString(out, from, (dot >= 0 ? dot : path_.Length()) - from);
}

void KFile::SetName(const KString& name, bool replaceExtension) {
    KString15 ext;
    const bool hadExtension = !replaceExtension && GetExtension(ext);
    path_.Truncate(LastSeparator() + 1);
    path_.Append(name);
    if (hadExtension) SetExtension(ext);
}

bool KFile::GetExtension(KString& out) const {
    const int32_t dot = ExtensionDot();
    if (dot < 0) return false;
    path_.SubString(out, dot + 1, path_.Length());
    return true;
}

void KFile::SetExtension(const KString& ext) {
    RemoveExtension();
    path_.AppendChar(u'.').Append(ext);
}

void KFile::RemoveExtension() {
    const int32_t dot = ExtensionDot();
    if (dot >= 0) path_.Truncate(dot);
}

void KFile::AppendDirectory(const KString& sub) {
    const int32_t at = LastSeparator() + 1;
    KString insert(sub.Length() + 1);
    insert.Append(sub).AppendChar(u'/');
    path_.Insert(insert, at);
}

bool KFile::IsAbsolute(const KString& s) {
    return s.CharAt(0) == u'/';
}

bool KFile::ReplaceInvalidPathChars(KString& s, KChar c) {
    return ReplaceAll(s, c, u"\\*?\"<>|");
}

bool KFile::ReplaceInvalidNameChars(KString& s, KChar c) {
    bool changed = ReplaceAll(s, c, u"\\*?\"<>|/:");
    int32_t spaces = 0;
    while (s.CharAt(spaces) == u' ') ++spaces;
    s.Delete(0, spaces);
    return changed || spaces > 0;
}

bool KFile::Exists() const {
    struct stat st;
    return stat(NativePath().c_str(), &st) == 0;
}

bool KFile::GetAttributes(uint32_t* out) const {
    struct stat st;
    if (stat(NativePath().c_str(), &st) != 0) return false;
    *out = st.st_mode;
    return true;
}

bool KFile::IsReadOnly() const {
    return Exists() && access(NativePath().c_str(), W_OK) != 0;
}

bool KFile::DirectoryExists() const {
    KString dir(path_.Length());
    GetDirectory(dir);
    if (dir.IsEmpty()) dir.AppendChar(IsAbsolute(path_) ? u'/' : u'.');
    struct stat st;
    return stat(KUtf8Of(dir).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool KFile::Delete() {
    Close();
    return unlink(NativePath().c_str()) == 0 || errno == ENOENT;
}

bool KFile::Rename(const KString& newPath) {
    const bool wasOpen = IsOpen();
    Close();
    KFile target(newPath);
    bool moved = rename(NativePath().c_str(), target.NativePath().c_str()) == 0;
    if (moved) path_.Assign(newPath);
    if (wasOpen) TryOpen(mode_, false);
    return moved;
}

bool KFile::CopyTo(KFile& target) const {
    int from = open(NativePath().c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) return false;
    int to = open(target.NativePath().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    bool ok = to >= 0;
    char block[65536];
    while (ok) {
        ssize_t got = read(from, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            ssize_t put = write(to, block + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            ok = put > 0;
            done += put;
        }
    }
    if (to >= 0) ok = close(to) == 0 && ok;
    close(from);
    if (!ok && to >= 0) unlink(target.NativePath().c_str());
    return ok;
}

bool KFile::CreateDirectories(bool all) const {
    KString dir(path_.Length());
    GetDirectory(dir);
    if (dir.IsEmpty()) return true;
    const std::string native = KUtf8Of(dir);
    auto make = [](const std::string& d) {
        struct stat st;
        return mkdir(d.c_str(), 0777) == 0 ||
               (errno == EEXIST && stat(d.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    };
    if (!all) return make(native);
    for (size_t slash = native.find('/', 1); slash != std::string::npos;
         slash = native.find('/', slash + 1))
        if (!make(native.substr(0, slash))) return false;
    return make(native);
}

bool KFile::GetDiskSpace(uint64_t* free, uint64_t* total) const {
    KString dir(path_.Length());
    GetDirectory(dir);
    if (dir.IsEmpty()) dir.AppendChar(IsAbsolute(path_) ? u'/' : u'.');
    struct statvfs fs;
    if (statvfs(KUtf8Of(dir).c_str(), &fs) != 0) return false;
    *free = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
    *total = static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize;
    return true;
}

KDateTime KFile::GetCreationTime() const {
    KDateTime t;
    KFileTimes(NativePath(), &t, nullptr);
    return t;
}

KDateTime KFile::GetLastWriteTime() const {
    KDateTime t;
    KFileTimes(NativePath(), nullptr, &t);
    return t;
}
