#include "TDefaultSettings.h"

#include <cstring>

#include "KUtf8.h"

void ApplyDefaultSettings(KRegistry& registry) {
    KString line(255, KRString::kMaxValue);
    for (const char* p = kDefaultSettings; *p;) {
        const char* end = std::strchr(p, '\n');
        const size_t n = end ? static_cast<size_t>(end - p) : std::strlen(p);
        line.Empty();
        KAppendUtf8(line, p, n);
        if (!line.IsEmpty()) registry.ApplyLine(line);
        p += n + (end ? 1 : 0);
    }
}
