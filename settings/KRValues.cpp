#include "KRValues.h"

#include <cstdlib>
#include <numeric>

namespace {

// Parses a whole integer field of a type text; false for an empty or
// malformed one.
bool ParseWholeInt(const KString& text, int32_t* out) {
    KString copy(text.Chars(), text.Length());
    return copy.ParseInt(out, 0) && copy.IsEmpty();
}

bool ParseWholeReal(const KString& text, double* out) {
    KString copy(text.Chars(), text.Length());
    return copy.ParseReal(out) && copy.IsEmpty();
}

// Reads decimal digits into *value, failing beyond the range of int32.
bool ReadDecimal(KString& text, int64_t* value, int* digits) {
    *value = 0;
    *digits = 0;
    while (KIsDigit(text.CharAt(0))) {
        *value = *value * 10 + (text.CharAt(0) - u'0');
        if (*value > 0x7FFFFFFF) return false;
        ++*digits;
        text.Seek(1, 1);
    }
    return *digits > 0;
}

}  // namespace

bool KRBool::ParseValue(KString& text) {
    int32_t v;
    if (!text.ParseInt(&v, 0)) return false;
    value = v != 0;
    text.Seek(0, 2);
    return true;
}

bool KRInt::ParseValue(KString& text) {
    int32_t v;
    if (!text.ParseInt(&v, 0)) return false;
    text.Seek(0, 2);
    Set(v);
    return true;
}

void KRInt::AppendType(KString& out) const {
    KRNode::AppendType(out);
    out.AppendChar(u',');
    if (min != kNoMin) out.AppendInt(min);
    out.AppendChar(u',');
    if (max != kNoMax) out.AppendInt(max);
}

void KRInt::ParseLimits(const KString& low, const KString& high) {
    ParseWholeInt(low, &min);
    ParseWholeInt(high, &max);
}

void KRRat::AppendRational(KString& out, KRational r) {
    if (r.denominator == 0) return;
    int64_t n = r.numerator;
    int64_t d = r.denominator;
    if (d < 0) n = -n, d = -d;
    if (n == 0) {
        out.AppendChar(u'0');
        return;
    }
    if (n < 0) out.AppendChar(u'-');
    const int64_t a = std::llabs(n);
    const int64_t whole = a / d;
    const int64_t rest = a % d;
    KString31 text;
    if (whole >= 1) text.AppendUnsigned(static_cast<uint32_t>(whole));
    if (rest != 0) {
        if (whole >= 1) text.AppendChar(u' ');
        text.AppendUnsigned(static_cast<uint32_t>(rest))
            .AppendChar(u'/')
            .AppendUnsigned(static_cast<uint32_t>(d));
    }
    out.Append(text);
}

bool KRRat::ParseRational(KString& text, KRational* out) {
    const bool negative = text.CharAt(0) == u'-';
    if (negative) text.Seek(1, 1);
    int64_t whole;
    int digits;
    if (!ReadDecimal(text, &whole, &digits)) return false;
    int64_t numerator = whole;
    int64_t denominator = 1;
    if (text.CharAt(0) == u'/') {
        text.Seek(1, 1);
        if (!ReadDecimal(text, &denominator, &digits) || denominator == 0) return false;
    } else if (text.CharAt(0) == u' ') {
        KString rest(text.Chars() + 1, text.Length() - 1);
        int64_t n, d;
        if (ReadDecimal(rest, &n, &digits) && rest.CharAt(0) == u'/') {
            rest.Seek(1, 1);
            if (ReadDecimal(rest, &d, &digits) && d != 0) {
                numerator = whole * d + n;
                denominator = d;
                text.Seek(text.Length() - rest.Length(), 1);
            }
        }
    } else if (text.CharAt(0) == u'.') {
        text.Seek(1, 1);
        while (KIsDigit(text.CharAt(0))) {
            if (denominator >= 100000000) return false;  // beyond what an int32 fraction holds
            numerator = numerator * 10 + (text.CharAt(0) - u'0');
            denominator *= 10;
            text.Seek(1, 1);
        }
    }
    const int64_t g = std::gcd(numerator, denominator);
    numerator /= g ? g : 1;
    denominator /= g ? g : 1;
    if (numerator > 0x7FFFFFFF || denominator > 0x7FFFFFFF) return false;
    out->numerator = static_cast<int32_t>(negative ? -numerator : numerator);
    out->denominator = static_cast<int32_t>(denominator);
    return true;
}

bool KRRat::ParseValue(KString& text) {
    KRational r;
    if (!ParseRational(text, &r)) return false;
    text.Seek(0, 2);
    Set(r);
    return true;
}

bool KRFloat::ParseValue(KString& text) {
    double v;
    if (!text.ParseReal(&v)) return false;
    text.Seek(0, 2);
    value = v;
    return true;
}

void KRFloat::AppendType(KString& out) const {
    KRNode::AppendType(out);
    out.AppendChar(u',');
    if (min != kNoMin) out.AppendRealDot(min, "%lf");
    out.AppendChar(u',');
    if (max != kNoMax) out.AppendRealDot(max, "%lf");
}

void KRFloat::ParseLimits(const KString& low, const KString& high) {
    ParseWholeReal(low, &min);
    ParseWholeReal(high, &max);
}

bool KRString::ParseValue(KString& text) {
    const bool accepted = Set(text);
    text.Seek(0, 2);
    return accepted;
}
