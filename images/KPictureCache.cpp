#include "KPictureCache.h"

#include <sys/stat.h>

#include <new>

#include "KBufferedFile.h"
#include "KImageType.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "KX.h"

namespace {

// What an entry costs besides its pixels, so that pictures of no pixels
// are bounded in number too.
constexpr int64_t kEntryBytes = 4096;

int64_t CostOf(const KBitmaps& frames) {
    return frames.Bytes() + kEntryBytes;
}

bool SameOptions(const KBitmaps::ReadOptions& a, const KBitmaps::ReadOptions& b) {
    return a.maxFrames == b.maxFrames && a.minWidth == b.minWidth && a.minHeight == b.minHeight &&
           a.gifUseBackground == b.gifUseBackground;
}

bool StampOfNative(const std::string& path, KPictureStamp* stamp) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) return false;
    stamp->size = status.st_size;
    stamp->time = int64_t{status.st_mtim.tv_sec} * 1000000000 + status.st_mtim.tv_nsec;
    return true;
}

}  // namespace

KPictureCache& KPictureCache::Shared() {
    static KPictureCache cache;
    return cache;
}

void KPictureCache::Bind(KRegistry* settings) {
    bound_ = settings ? settings->FindInt(KString(u"\\Display\\PictureCache")) : nullptr;
    gifUseBackground_ = settings ? settings->FindInt(KString(u"\\Display\\GIFUseBg")) : nullptr;
    EvictTo(Bound());
}

bool KPictureCache::StampOf(const KString& path, KPictureStamp* stamp) {
    return StampOfNative(KFile(path).NativePath(), stamp);
}

bool KPictureCache::SameRequest(const Entry& entry, const std::string& path,
                                const KPictureStamp& stamp, const KBitmaps::ReadOptions& options) {
    return entry.stamp == stamp && SameOptions(entry.options, options) && entry.path == path;
}

std::shared_ptr<const KBitmaps> KPictureCache::Load(const KString& path,
                                                    KBitmaps::ReadOptions options, int32_t* error,
                                                    KPictureStamp* stamp) {
    EvictTo(Bound());  // the bound may have been lowered since the last store
    const KFile named(path);
    const std::string native = named.NativePath();
    KPictureStamp found;
    const bool stamped = StampOfNative(native, &found);
    if (stamp) *stamp = found;
    if (!stamped) {
        *error = kErrFileOpen;
        return nullptr;
    }
    // Options that do not change what this type of file decodes to are
    // dropped, so that the entries they would make are one.
    const KImageType type = KImageTypeOf(path);
    if (type != KImageType::kJpeg) options.minWidth = options.minHeight = 0;
    if (type != KImageType::kGif) options.maxFrames = 0;
    options.gifUseBackground =
        type == KImageType::kGif && gifUseBackground_ && gifUseBackground_->value == 1;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (!SameRequest(*it, native, found, options)) continue;
        entries_.splice(entries_.begin(), entries_, it);
        return entries_.front().frames;
    }
    KBufferedFile file(path, 4096);
    if (const int32_t code = file.TryOpen(KFile::kRead | KFile::kRegularOnly, false)) {
        *error = code;
        return nullptr;
    }
    std::shared_ptr<KBitmaps> frames(new (std::nothrow) KBitmaps(KBitmap::kImageFormat));
    if (!frames) {
        *error = kErrNoMemory;
        return nullptr;
    }
    frames->SetOptions(options);
    ++decodes_;
    try {
        frames->ReadFrames(file, type);
    } catch (const KX& e) {
        *error = e.Code();
        return nullptr;
    }
    Keep(Entry{native, found, options, frames});
    return frames;
}

int64_t KPictureCache::Bound() const {
    return bound_ ? bound_->value : kDefaultBytes;
}

void KPictureCache::Keep(Entry entry) {
    const int64_t bytes = CostOf(*entry.frames);
    const int64_t bound = Bound();
    if (bytes > bound) {
        EvictTo(bound);
        return;
    }
    EvictTo(bound - bytes);
    try {
        entries_.push_front(std::move(entry));
        bytes_ += bytes;
    } catch (const std::bad_alloc&) {
        // Not kept: the caller still has its picture.
    }
}

void KPictureCache::EvictTo(int64_t bytes) {
    while (bytes_ > bytes && !entries_.empty()) {
        bytes_ -= CostOf(*entries_.back().frames);
        entries_.pop_back();
    }
}

void KPictureCache::Clear() {
    EvictTo(-1);
}
