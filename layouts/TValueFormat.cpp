#include "TValueFormat.h"

#include <algorithm>

namespace {

// Reads a run of digits at format[*i] into a number capped at kMaxFormatWidth.
int32_t TakeNumber(const KString& format, int32_t* i) {
    int32_t n = 0;
    while (KIsDigit(format.CharAt(*i))) {
        n = std::min(n * 10 + (format.CharAt(*i) - u'0'), kMaxFormatWidth);
        ++*i;
    }
    return n;
}

bool IsLengthModifier(KChar c) {
    return c == u'h' || c == u'l' || c == u'L' || c == u'q' || c == u'j' || c == u'z' || c == u't';
}

// One conversion with its flags, width and precision (-1 = none).
struct Conversion {
    bool leftAlign = false;
    int32_t width = 0;
    int32_t precision = -1;
    KChar type = 0;
};

// Parses the conversion that follows the '%' at format[*i - 1]; *i ends
// after its type character (or at the end of the format).
Conversion TakeConversion(const KString& format, int32_t* i) {
    Conversion c;
    const int32_t n = format.Length();
    for (; *i < n; ++*i) {
        const KChar flag = format.CharAt(*i);
        if (flag == u'-') {
            c.leftAlign = true;
        } else if (flag != u'+' && flag != u' ' && flag != u'#' && flag != u'0') {
            break;
        }
    }
    c.width = TakeNumber(format, i);
    if (format.CharAt(*i) == u'.') {
        ++*i;
        c.precision = TakeNumber(format, i);
    }
    while (*i < n && IsLengthModifier(format.CharAt(*i))) ++*i;
    if (*i < n) c.type = format.CharAt((*i)++);
    return c;
}

void AppendPadded(KString& out, const KString& text, const Conversion& c) {
    const int32_t length = c.precision >= 0 ? std::min(text.Length(), c.precision) : text.Length();
    const int32_t pad = std::max(0, c.width - length);
    if (!c.leftAlign) out.InsertChars(u' ', out.Length(), pad);
    out.Append(text.Chars(), length);
    if (c.leftAlign) out.InsertChars(u' ', out.Length(), pad);
}

}  // namespace

void TAppendValueFormat(KString& out, const KString& format, const KString& value) {
    const KString empty(u"");
    bool valueUsed = false;
    const int32_t n = format.Length();
    for (int32_t i = 0; i < n;) {
        const KChar c = format.CharAt(i++);
        if (c != u'%') {
            out.AppendChar(c);
            continue;
        }
        if (format.CharAt(i) == u'%') {
            out.AppendChar(u'%');
            ++i;
            continue;
        }
        const Conversion conversion = TakeConversion(format, &i);
        if (conversion.type == 0) break;
        const bool takesValue = conversion.type == u's' && !valueUsed;
        valueUsed = valueUsed || takesValue;
        AppendPadded(out, takesValue ? value : empty, conversion);
    }
}
