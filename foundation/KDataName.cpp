#include "KDataName.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "KFile.h"
#include "KUtf8.h"

namespace {

bool PathExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The entry of folder whose name equals step without regard to case.
bool FindIgnoringCase(const std::string& folder, const std::string& step, std::string* found) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    KString wanted;
    KAppendUtf8(wanted, step);
    KString name;
    bool matched = false;
    while (const dirent* entry = readdir(dir)) {
        name.Empty();
        KAppendUtf8(name, entry->d_name, std::strlen(entry->d_name));
        if (name.EqualsIgnoreCase(wanted)) {
            *found = entry->d_name;
            matched = true;
            break;
        }
    }
    closedir(dir);
    return matched;
}

}  // namespace

void KResolveDataName(const KString& folder, const KString& name, KString& out) {
    KString path(folder.Length() + name.Length() + 1, KFile::kMaxPath);
    if (!KFile::IsAbsolute(name) && name.CharAt(0) != u'\\') {
        path.Append(folder);
        if (!path.IsEmpty() && path.CharAt(path.Length() - 1) != u'/') path.AppendChar(u'/');
    }
    const int32_t nameStart = path.Length();
    path.Append(name);
    for (int32_t i = nameStart; i < path.Length(); ++i)
        if (path.CharAt(i) == u'\\') path.SetCharAt(i, u'/');
    const std::string exact = KUtf8Of(path);
    if (PathExists(exact)) {
        out.Append(path);
        return;
    }
    // Walk the name's steps below the folder, which is taken as it is.
    std::string resolved = KUtf8Of(KString(path.Chars(), nameStart));
    std::string rest = KUtf8Of(KString(path.Chars() + nameStart, path.Length() - nameStart));
    size_t from = 0;
    while (from <= rest.size()) {
        size_t slash = rest.find('/', from);
        std::string step =
            rest.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
        from = slash == std::string::npos ? rest.size() + 1 : slash + 1;
        if (step.empty()) {
            if (slash != std::string::npos && (resolved.empty() || resolved.back() != '/'))
                resolved += '/';
            continue;
        }
        std::string found;
        if (!PathExists(resolved + step) && !FindIgnoringCase(resolved, step, &found)) {
            out.Append(path);
            return;
        }
        resolved += found.empty() ? step : found;
        if (slash != std::string::npos) resolved += '/';
    }
    KAppendUtf8(out, resolved);
}
