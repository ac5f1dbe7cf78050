#include "TFieldStringProcessor.h"

#include <algorithm>

namespace {

// Reads decimal digits at format[*i], saturating well above any real width.
int32_t ReadNumber(const KString& format, int32_t* i) {
    int32_t value = 0;
    while (KIsDigit(format.CharAt(*i))) {
        value = std::min(value * 10 + (format.CharAt(*i) - u'0'), 100000000);
        ++*i;
    }
    return value;
}

}  // namespace

void TFieldStringProcessor::FormatValue(KString& output, const KString& format,
                                        const KString& value) {
    constexpr int32_t kUnlimited = 0x7FFFFFFF;
    int32_t pos = 0;  // the value is consumed from its front
    for (int32_t i = 0; i < format.Length();) {
        KChar c = format.CharAt(i++);
        if (c != u'%') {
            output.AppendChar(c);
            continue;
        }
        if (format.CharAt(i) == u'%') {
            output.AppendChar(u'%');
            ++i;
            continue;
        }
        const bool left = format.CharAt(i) == u'-';
        if (left) ++i;
        const int32_t width = ReadNumber(format, &i);
        int32_t precision = kUnlimited;
        if (format.CharAt(i) == u'.') {
            ++i;
            precision = ReadNumber(format, &i);
        }
        if (i >= format.Length()) break;
        if (format.CharAt(i++) != u's') continue;
        const int32_t remaining = value.Length() - pos;
        const int32_t take = std::min(precision, std::max(remaining, width));
        const int32_t pad = std::max(take - remaining, 0);
        if (!left) output.InsertChars(u' ', output.Length(), pad);
        output.Append(value.Chars() + pos, take - pad);
        if (left) output.InsertChars(u' ', output.Length(), pad);
        pos += std::min(take, remaining);
    }
}

bool TFieldStringProcessor::CustomFormat(int32_t, int32_t, KString&, int32_t) {
    return false;
}

bool TFieldStringProcessor::CustomProcess(int32_t operand, KString& output, int32_t count) {
    if (operand != 0) return false;
    int32_t last = count;
    while (last > 0 && KIsWhiteSpace(output.CharAt(last - 1))) --last;
    output.Delete(last, count - last);
    int32_t first = 0;
    while (first < last && KIsWhiteSpace(output.CharAt(first))) ++first;
    output.Delete(0, first);
    return true;
}

TFieldStringProcessor& TheFieldProcessor() {
    static TFieldStringProcessor engine;
    return engine;
}

void ProcessField(KString& text, const KString* processText) {
    TFieldStringProcessor& engine = TheFieldProcessor();
    KString& scratch = engine.Scratch();
    scratch.Empty();
    if (processText) {
        engine.FormatValue(scratch, *processText, text);
    } else {
        scratch.Append(text);
    }
    engine.ProcessEscapes(text, scratch);
    scratch.Empty();
}
