#include "TRemoteCommands.h"

#include "KCharClass.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "TLayout.h"
#include "TLayoutScreen.h"
#include "TOpenLayouts.h"
#include "TTrigger.h"

namespace {

constexpr KChar kSeparator = u';';
constexpr KChar kQuote = u'"';
constexpr int32_t kDefaultDrawDelay = 2000;

// Walks the items of a line as KString::Field splits them: an item is quoted
// when a quote follows nothing but white space and a later quote is followed
// by nothing but white space up to the next separator. Searching that closing
// quote afresh for every item would read the rest of the line once per item
// (a line of '"a;' repeated), so the last search's answer is kept: item
// starts only grow, so the first closing quote after one opening quote is
// the first after any later one that still lies before it.
class TItemWalker {
  public:
    explicit TItemWalker(const KString& line) : p_(line.Chars()), len_(line.Length()) {}

    // The next item as a view of the line; false after the last.
    bool Next(const KChar** item, int32_t* length) {
        if (from_ > len_) return false;
        const int32_t s = from_;
        int32_t q = s;
        while (q < len_ && p_[q] != kSeparator && p_[q] != kQuote) ++q;
        bool opens = q < len_ && p_[q] == kQuote;
        for (int32_t i = s; opens && i < q; ++i) opens = KIsWhiteSpace(p_[i]);
        if (opens) {
            if (close_ <= q) close_ = FindClosingQuote(q + 1);
            if (close_ < len_) {
                *item = p_ + q + 1;
                *length = close_ - q - 1;
                from_ = SkipWhiteSpace(close_ + 1) + 1;
                return true;
            }
        }
        int32_t end = s;
        while (end < len_ && p_[end] != kSeparator) ++end;
        *item = p_ + s;
        *length = end - s;
        from_ = end + 1;
        return true;
    }

  private:
    // Past the white space from i, up to a separator or the end.
    int32_t SkipWhiteSpace(int32_t i) const {
        while (i < len_ && p_[i] != kSeparator && KIsWhiteSpace(p_[i])) ++i;
        return i;
    }
    // The first quote at or after from that closes an item; len_ when none.
    int32_t FindClosingQuote(int32_t from) const {
        for (int32_t c = from; c < len_; ++c) {
            if (p_[c] != kQuote) continue;
            const int32_t j = SkipWhiteSpace(c + 1);
            if (j >= len_ || p_[j] == kSeparator) return c;
            c = j - 1;  // what was skipped is white space, no quote
        }
        return len_;
    }

    const KChar* p_;
    int32_t len_;
    int32_t from_ = 0;
    int32_t close_ = -1;
};

// A numeric item: field 0 of its value in base 10; false when it is missing
// or does not begin with a number.
bool RemoteInt(const KString& line, const char16_t* key, int32_t* out) {
    KString31 text;
    return TRemoteCommands::RemoteValue(line, KString(key), text, 0) && text.ParseInt(out, 10);
}

bool IsCommand(const KString& line, const char16_t* name) {
    KString31 command;
    return TRemoteCommands::RemoteValue(line, KString(u"Command"), command, 0) &&
           command.EqualsIgnoreCase(KString(name));
}

}  // namespace

TRemoteCommands::TRemoteCommands(KRegistry& settings, TOpenLayouts& layouts, TLayoutScreen& screen)
    : settings_(settings), layouts_(layouts), screen_(screen) {}

void TRemoteCommands::ExecuteRemote(const TReceiver&, const KString& line) {
    RunRemoteLine(line);
}

void TRemoteCommands::RunRemoteLine(const KString& line) {
    if (IsCommand(line, u"Trigger")) {
        RunTrigger(line);
    } else if (IsCommand(line, u"LayoutDraw")) {
        RunLayoutDraw(line);
    }
}

bool TRemoteCommands::RemoteValue(const KString& line, const KString& key, KString& out,
                                  int32_t index) {
    const int32_t keyLength = key.Length();
    TItemWalker items(line);
    const KChar* item;
    int32_t length;
    while (items.Next(&item, &length)) {
        if (length <= keyLength || item[keyLength] != u'=') continue;
        if (!KString(item, keyLength).EqualsIgnoreCase(key)) continue;
        const KString value(item + keyLength + 1, length - keyLength - 1);
        if (index < 0) {
            out.Append(value);
            return true;
        }
        return value.Field(out, index, u',', kQuote);
    }
    return false;
}

void TRemoteCommands::RunTrigger(const KString& line) {
    TLayout* current = screen_.CurrentLayout();
    if (!current) return;
    // Longer than a trigger can be, a name matches no object.
    KString31 name;
    if (!RemoteValue(line, KString(u"Name"), name, -1) || name.IsEmpty() ||
        name.Length() > TTrigger().name.Capacity())
        return;
    TTrigger trigger;
    trigger.name = name;
    KString31 action;
    if (RemoteValue(line, KString(u"Action"), action, -1)) {
        if (action.EqualsIgnoreCase(KString(u"Off"))) trigger.action = TTrigger::kOff;
        if (action.EqualsIgnoreCase(KString(u"Toggle"))) trigger.action = TTrigger::kToggle;
    }
    layouts_.FireTrigger(current, trigger);
}

void TRemoteCommands::RunLayoutDraw(const KString& line) {
    TLayout* layout = nullptr;
    KString255 name;
    if (RemoteValue(line, KString(u"Name"), name, -1)) layout = layouts_.FindByTitle(name);
    int32_t window;
    if (!layout && RemoteInt(line, u"Window", &window)) layout = layouts_.Window(window);
    TLayout* current = screen_.CurrentLayout();
    if (!layout) layout = current;
    if (!layout) return;
    const KRInt* setting = settings_.FindInt(KString(u"\\Sources\\LayoutDrawDelay"));
    int32_t delay = setting ? setting->value : kDefaultDrawDelay;
    RemoteInt(line, u"Delay", &delay);
    int32_t clear = 0;
    RemoteInt(line, u"Clear", &clear);
    if (clear == 2 || (clear == 1 && layout != current)) layout->ClearValues();
    screen_.ShowLayout(layout, delay);
}
