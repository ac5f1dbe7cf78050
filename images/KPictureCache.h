#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "KBitmaps.h"
#include "KString.h"

class KRegistry;
class KRInt;

// The version of a picture file: its size in bytes and last-write time.
struct KPictureStamp {
    int64_t size = -1;
    int64_t time = 0;  // nanoseconds since the epoch
    bool operator==(const KPictureStamp&) const = default;
};

// The pictures the program has decoded, shared by every object and video
// display that shows them. An entry is one decode of one version of a file:
// its path, size and last-write time, and what was asked of the decoder
// (frames, the size a JPEG is scaled down to, the GIF background). Pictures
// are handed out shared and never change, so an entry that is evicted stays
// alive for as long as someone still shows it.
//
// The cache is bounded by the pixel bytes of its entries: Display\PictureCache
// (bytes; 0 keeps nothing), read at each store; the least recently used
// entries go first, and a picture larger than the bound is not kept. One
// cache per program (Shared()), used from one thread.
class KPictureCache {
  public:
    static constexpr int64_t kDefaultBytes = int64_t{256} << 20;

    static KPictureCache& Shared();

    // Binds Display\PictureCache and Display\GIFUseBg of settings, which
    // must outlive the binding; null unbinds (the defaults answer: 256 MiB,
    // black GIF backgrounds).
    void Bind(KRegistry* settings);

    // The stamp of the file at path, found without opening it; false when
    // there is none. Load refuses what is no plain file when it opens it.
    static bool StampOf(const KString& path, KPictureStamp* stamp);

    // The frames of the file at path, read as options say (their maxBytes is
    // the most a new decode may take; the GIF background comes from the
    // setting). Null with *error set when the file cannot be read: 3002 for
    // no plain file, else the decoder's code (2001, 3004, 3009, 3010). The
    // file's stamp goes to *stamp when asked, also on failure.
    std::shared_ptr<const KBitmaps> Load(const KString& path, KBitmaps::ReadOptions options,
                                         int32_t* error, KPictureStamp* stamp = nullptr);

    // Forgets every entry.
    void Clear();
    int64_t Bytes() const { return bytes_; }
    // How many files were decoded since the program started.
    int64_t Decodes() const { return decodes_; }

  private:
    struct Entry {
        std::string path;
        KPictureStamp stamp;
        KBitmaps::ReadOptions options;
        std::shared_ptr<const KBitmaps> frames;
    };

    static bool SameRequest(const Entry& entry, const std::string& path, const KPictureStamp& stamp,
                            const KBitmaps::ReadOptions& options);
    int64_t Bound() const;
    void Keep(Entry entry);
    void EvictTo(int64_t bytes);

    const KRInt* bound_ = nullptr;
    const KRInt* gifUseBackground_ = nullptr;
    std::list<Entry> entries_;  // most recently used first
    int64_t bytes_ = 0;
    int64_t decodes_ = 0;
};
