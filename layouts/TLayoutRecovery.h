#pragma once

#include <cstdint>
#include <string>

class TOpenLayouts;

// The unsaved changes of the open layouts, kept in one file beside the
// configuration, so that a crash or a stop signal loses at most what changed
// since the last write. The file holds, for each modified layout, its path,
// whether it is untitled, and the whole layout as JSON.
class TLayoutRecovery {
  public:
    static constexpr const char* kFileName = "Recovery.json";

    // folder: where the configuration is kept.
    explicit TLayoutRecovery(const std::string& folder);

    // Writes every modified layout; with none, removes the file. False when
    // the file could not be written (the old one then stays).
    bool Write(const TOpenLayouts& layouts);
    bool Exists() const;
    // Opens each recovered layout in a window of its own, modified: with its
    // file's name (untitled when it had none) and the recovered contents.
    // The file is removed; entries that cannot be read are skipped. The
    // number of layouts opened.
    int32_t Restore(TOpenLayouts& layouts);
    void Remove();

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};
