#include "TLayoutRecovery.h"

#include <sys/stat.h>

#include <cstdio>

#include "KAtomicSave.h"
#include "KFile.h"
#include "KReadCursor.h"
#include "KUtf8.h"
#include "KX.h"
#include "TLayout.h"
#include "TLayoutJson.h"
#include "TOpenLayouts.h"

namespace {

using Json = TLayoutJson::Json;

KString PathText(const std::string& path) {
    KString text(255, KFile::kMaxPath);
    KAppendUtf8(text, path);
    return text;
}

// The file's document, or null for a file that is missing or broken.
Json ReadDocument(const std::string& path) {
    KFile file(PathText(path));
    if (file.TryOpen(KFile::kRead | KFile::kRegularOnly, false) != 0) return nullptr;
    const int64_t size = file.GetSize();
    if (size <= 0 || size > TLayoutJson::kMaxFileBytes) return nullptr;
    std::string text(static_cast<size_t>(size), '\0');
    if (!KReadCursor(file).Read(text.data(), static_cast<int32_t>(size))) return nullptr;
    return Json::parse(text, nullptr, false);
}

}  // namespace

TLayoutRecovery::TLayoutRecovery(const std::string& folder) : path_(folder + "/" + kFileName) {}

bool TLayoutRecovery::Write(const TOpenLayouts& layouts) {
    Json entries = Json::array();
    for (int32_t n = 1; n <= layouts.Count(); ++n) {
        const TLayout& layout = *layouts.Window(n);
        if (!layout.IsModified()) continue;
        entries.push_back({{"path", KUtf8Of(layout.Path())},
                           {"untitled", layout.IsUntitled()},
                           {"layout", TLayoutJson::ToJson(layout, layout.FileVersion())}});
    }
    if (entries.empty()) {
        Remove();
        return true;
    }
    const std::string text =
        Json{{"layouts", entries}}.dump(1, ' ', false, Json::error_handler_t::replace);
    try {
        KSaveAtomically(PathText(path_), [&text](KStream& stream) {
            stream.Write(text.data(), static_cast<int32_t>(text.size()));
        });
    } catch (const KX&) {
        return false;
    }
    return true;
}

bool TLayoutRecovery::Exists() const {
    struct stat info;
    return stat(path_.c_str(), &info) == 0;
}

int32_t TLayoutRecovery::Restore(TOpenLayouts& layouts) {
    const Json document = ReadDocument(path_);
    Remove();
    const Json* entries =
        document.is_object() && document.contains("layouts") ? &document["layouts"] : nullptr;
    if (!entries || !entries->is_array()) return 0;
    int32_t restored = 0;
    for (const Json& entry : *entries) {
        if (!entry.is_object() || !entry.contains("layout")) continue;
        const Json& path = entry.contains("path") ? entry["path"] : Json();
        const Json& untitled = entry.contains("untitled") ? entry["untitled"] : Json();
        const bool named = path.is_string() && untitled.is_boolean() && !untitled.get<bool>();
        const KString name = PathText(named ? path.get<std::string>() : std::string());
        if (layouts.OpenRecovered(name, entry["layout"]) == 0) ++restored;
    }
    return restored;
}

void TLayoutRecovery::Remove() {
    std::remove(path_.c_str());
}
