// Arbitrary bytes, one character each, as a remote command line run against
// two open windows' worth of state: every value found must be the one a plain
// walk over the items with KString::NextField finds, and running the line
// must do no harm, whatever its quotes and length. The same bytes also go
// through a source's line collector, every line feed ending a line: each
// line it completes must be the text since the previous line feed, or the
// last completed line for an empty one.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "KClock.h"
#include "KRegistry.h"
#include "KRemote.h"
#include "TDefaultSettings.h"
#include "TLayout.h"
#include "TLayoutObject.h"
#include "TLayoutScreen.h"
#include "TOpenLayouts.h"
#include "TRemoteCommands.h"

namespace {

class Screen : public TLayoutScreen {
  public:
    TLayout* CurrentLayout() const override { return current; }
    void ShowLayout(TLayout* layout, int32_t) override { current = layout; }
    KSize LayoutSize() const override { return KSize{640, 480}; }
    TLayout* current = nullptr;
};

// The value of the first item key=... by the plain walk.
bool PlainValue(const KString& line, const KString& key, KString& out) {
    KString item;
    for (int32_t from = 0; item.Empty(), line.NextField(item, &from, u';');) {
        if (item.Length() > key.Length() && item.CharAt(key.Length()) == u'=' &&
            item.StartsWithIgnoreCase(key)) {
            item.SubString(out, key.Length() + 1, item.Length());
            return true;
        }
    }
    return false;
}

void CheckCollector(const uint8_t* data, size_t size) {
    KRemote collector;
    std::u16string line, last;
    for (size_t i = 0; i < size; ++i) {
        const KRemote::Result result = collector.Feed(data[i]);
        if (data[i] != 10) {
            line.push_back(data[i]);
            if (result != KRemote::kCollecting) std::abort();
            continue;
        }
        if (line.empty()) line = last;
        const KString& taken = collector.Line();
        if (result != KRemote::kComplete ||
            std::u16string(taken.Chars(), static_cast<size_t>(taken.Length())) != line)
            std::abort();
        collector.Done();
        last.swap(line);
        line.clear();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckCollector(data, size);
    KString line;
    for (size_t i = 0; i < size; ++i) line.AppendChar(data[i]);
    for (const char16_t* name : {u"Command", u"Name", u"Window"}) {
        const KString key(name);
        KString expected;
        KString found;
        const bool plain = PlainValue(line, key, expected);
        if (TRemoteCommands::RemoteValue(line, key, found, -1) != plain || !found.Equals(expected))
            std::abort();
    }
    static KRegistry* settings = [] {
        auto* registry = new KRegistry;
        ApplyDefaultSettings(*registry);
        return registry;
    }();
    KVirtualClock clock;
    Screen screen;
    TLayout layout;
    layout.AddObject(0)->SetTrigger(KString(u"Start"));
    screen.current = &layout;
    TOpenLayouts layouts(*settings, screen, nullptr, clock);
    TRemoteCommands remote(*settings, layouts, screen);
    remote.RunRemoteLine(line);
    return 0;
}
