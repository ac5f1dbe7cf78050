#pragma once

#include <dirent.h>

#include "KDateTime.h"
#include "KFile.h"

// Reads the creation and last-write times of a file system path.
void KFileTimes(const std::string& path, KDateTime* created, KDateTime* written);

// Enumerates the entries of a folder that match the name part of a path,
// which may hold the wildcards * and ? (letter case ignored).
class KFileInfo {
  public:
    KFileInfo() = default;
    KFileInfo(const KFileInfo&) = delete;
    KFileInfo& operator=(const KFileInfo&) = delete;
    ~KFileInfo();

    // The first call searches file's path, later calls continue; false when
    // there are no (more) entries.
    bool FindNext(const KFile& file);

    KString255 name;
    KDateTime creationTime;
    KDateTime lastWriteTime;

  private:
    DIR* search_ = nullptr;
    bool started_ = false;
    std::string folder_;
    std::string pattern_;
};
