#include "TDurationText.h"

#include <cstdio>

#include "KRegistry.h"

namespace {

constexpr int64_t kMaxMs = 2147483647;

// The first character of a separator setting, or the usual one.
KChar Separator(KRegistry& settings, const char16_t* name, KChar usual) {
    KString path(63);
    path.Append(KString(u"\\Strings\\Time\\")).Append(KString(name));
    const KString& text = settings.StringOf(path);
    return text.IsEmpty() ? usual : text.CharAt(0);
}

bool IsDigit(KChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

TDurationText::TDurationText(KRegistry& settings)
    : negative_(Separator(settings, u"NegChr", u'-')),
      dayHour_(Separator(settings, u"DayHourSep", u':')),
      hourMinute_(Separator(settings, u"HourMinuteSep", u':')),
      minuteSecond_(Separator(settings, u"MinuteSecondSep", u':')),
      fraction_(Separator(settings, u"SecondFracSep", u'.')) {}

void TDurationText::Append(KString& out, int64_t ms) const {
    if (ms < 0) out.AppendChar(negative_);
    const uint64_t whole = ms < 0 ? 0 - static_cast<uint64_t>(ms) : static_cast<uint64_t>(ms);
    const uint64_t seconds = whole / 1000;
    const uint64_t fields[] = {seconds / 86400, seconds / 3600 % 24, seconds / 60 % 60,
                               seconds % 60};
    const KChar after[] = {dayHour_, hourMinute_, minuteSecond_};
    bool shown = false;
    char digits[24];
    for (int i = 0; i < 4; ++i) {
        if (!shown && fields[i] == 0 && i < 3) continue;
        snprintf(digits, sizeof digits, shown ? "%02llu" : "%llu",
                 static_cast<unsigned long long>(fields[i]));
        for (const char* d = digits; *d; ++d) out.AppendChar(static_cast<KChar>(*d));
        if (i < 3) out.AppendChar(after[i]);
        shown = true;
    }
    snprintf(digits, sizeof digits, "%03llu", static_cast<unsigned long long>(whole % 1000));
    out.AppendChar(fraction_);
    for (const char* d = digits; *d; ++d) out.AppendChar(static_cast<KChar>(*d));
}

bool TDurationText::Parse(const KString& text, int32_t* ms) const {
    int32_t at = 0;
    const int32_t end = text.Length();
    const bool negative = end > 0 && text.CharAt(0) == negative_;
    if (negative) ++at;
    int64_t fields[4];
    int count = 0;
    for (;;) {
        if (count == 4 || at == end || !IsDigit(text.CharAt(at))) return false;
        int64_t value = 0;
        while (at < end && IsDigit(text.CharAt(at))) {
            value = value * 10 + (text.CharAt(at++) - u'0');
            if (value > kMaxMs) return false;
        }
        fields[count++] = value;
        if (at == end || text.CharAt(at) == fraction_) break;
        const KChar c = text.CharAt(at++);
        if (c != dayHour_ && c != hourMinute_ && c != minuteSecond_) return false;
    }
    int64_t total = 0;
    const int64_t units[] = {1000, 60000, 3600000, 86400000};
    for (int i = 0; i < count; ++i) {
        total += fields[count - 1 - i] * units[i];
        if (total > kMaxMs) return false;
    }
    if (at < end) {  // the fraction: one to three digits
        ++at;
        int digits = 0;
        int64_t scale = 100;
        for (; at < end && IsDigit(text.CharAt(at)); ++at, ++digits, scale /= 10) {
            if (digits == 3) return false;
            total += (text.CharAt(at) - u'0') * scale;
        }
        if (digits == 0 || at != end || total > kMaxMs) return false;
    }
    *ms = static_cast<int32_t>(negative ? -total : total);
    return true;
}
