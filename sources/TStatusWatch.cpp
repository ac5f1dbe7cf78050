#include "TStatusWatch.h"

#include "KUtf8.h"
#include "TSources.h"

TStatusWatch::TStatusWatch(TSources& sources)
    : sources_(sources), shown_(static_cast<size_t>(sources.List().Count())) {}

void TStatusWatch::Check(const Report& report) {
    size_t i = 0;
    for (const TSource& source : sources_.List()) {
        if (i == shown_.size()) break;
        const KString& status = sources_.SourceStatus(source.group);
        std::string text = KUtf8Of(status);
        if (text != shown_[i]) {
            shown_[i] = std::move(text);
            report(source.SourceName(), status);
        }
        ++i;
    }
}
