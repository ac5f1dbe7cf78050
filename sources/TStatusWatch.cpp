#include "TStatusWatch.h"

#include "KUtf8.h"
#include "TSources.h"

TStatusWatch::TStatusWatch(TSources& sources)
    : sources_(sources), shown_(static_cast<size_t>(sources.List().Count())) {}

void TStatusWatch::Check(const Report& report) {
    size_t i = 0;
    for (KListItem* p = sources_.List().Head(); p && i < shown_.size(); p = p->Next(), ++i) {
        auto* source = static_cast<TSource*>(p);
        const KString& status = sources_.SourceStatus(source->group);
        std::string text = KUtf8Of(status);
        if (text != shown_[i]) {
            shown_[i] = std::move(text);
            report(source->SourceName(), status);
        }
    }
}
