#pragma once

#include <cstdint>
#include <string>

#include "KDateTime.h"
#include "KStream.h"

// A stream over an operating-system file, and the program's path-name object
// ('/' separates folders).
class KFile : public KStream {
  public:
    // Open modes: access bits and sharing bits (sharing is recorded; POSIX
    // files have no mandatory sharing). kRegularOnly refuses anything but a
    // plain file before the open can wait: a pipe would wait for a writer, a
    // device may never end. Every path a user, a setting or a file names is
    // opened with it.
    enum : int {
        kRead = 1,
        kWrite = 2,
        kReadWrite = 3,
        kShareRead = 0x100,
        kShareWrite = 0x200,
        kRegularOnly = 0x400
    };
    static constexpr int32_t kMaxPath = 4095;

    KFile() = default;
    explicit KFile(const KString& path) { SetPath(path); }
    ~KFile() override;

    bool IsOpen() override { return fd_ >= 0; }
    // Whether a read failed since the file was opened: a reader that stops
    // at what looks like the end may then have stopped at a faulty disk.
    bool ReadFailed() const { return readFailed_; }
    void Close() override;
    int SetDirection(int direction) override;
    void Read(void* buffer, int32_t n) override;
    void Write(const void* buffer, int32_t n) override;

    // Raises 3001 when open, 3002 when the file cannot be opened; with create
    // a missing file is created, an existing one is opened as it is.
    virtual void Open(int mode, bool create);
    // Open without raising: the error code, 0 when the file is open.
    int32_t TryOpen(int mode, bool create);
    virtual int64_t GetSize();
    virtual void SetLength(int64_t n);
    virtual int64_t Tell();
    // Origin 0 start, 1 current position, 2 end; raises 3003.
    virtual void Seek(int64_t offset, int origin);
    virtual void FlushBuffer() {}
    // Writes buffered bytes and makes the operating system put them on disk;
    // raises 3005.
    void Sync();

    // Paths.
    void SetPath(const KString& path);
    void GetPath(KString& out) const { out.Append(path_); }
    const KString& Path() const { return path_; }
    void Assign(const KFile& other);
    void SetDirectory(const KString& dir);
    void GetDirectory(KString& out) const;
    void GetName(KString& out, bool withExtension) const;
    void SetName(const KString& name, bool replaceExtension);
    bool GetExtension(KString& out) const;
    void SetExtension(const KString& ext);
    void RemoveExtension();
    // Keeps the name and puts sub between the folder and the name.
    void AppendDirectory(const KString& sub);
    static bool IsAbsolute(const KString& s);
    // Replace characters that cannot stand in a path (or a name) by c.
    static bool ReplaceInvalidPathChars(KString& s, KChar c);
    static bool ReplaceInvalidNameChars(KString& s, KChar c);

    // The file system.
    bool Exists() const;
    bool GetAttributes(uint32_t* out) const;
    bool IsReadOnly() const;
    bool DirectoryExists() const;
    bool Delete();
    bool Rename(const KString& newPath);
    bool CopyTo(KFile& target) const;
    bool CreateDirectories(bool all) const;
    bool GetDiskSpace(uint64_t* free, uint64_t* total) const;
    KDateTime GetCreationTime() const;
    KDateTime GetLastWriteTime() const;

    // The path as the operating system takes it.
    std::string NativePath() const;

  protected:
    // One read or write of the operating system: the bytes moved (0 at the
    // end of the file), or -1 on failure.
    int64_t RawRead(void* buffer, int64_t n);
    int64_t RawWrite(const void* buffer, int64_t n);
    int64_t RawSeek(int64_t offset, int whence);
    int fd() const { return fd_; }

  private:
    // Index of the last '/' in the path, -1 when none.
    int32_t LastSeparator() const { return path_.FindLast(u'/'); }
    // Index of the extension's dot, -1 when the path has no extension.
    int32_t ExtensionDot() const;

    int mode_ = 0;
    KString path_{255, kMaxPath};
    int fd_ = -1;
    bool readFailed_ = false;
};
