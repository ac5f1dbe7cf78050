#include "TPortSpec.h"

#include "KRegistry.h"
#include "TFields.h"

namespace {

// A column read by the script integer rule; false when missing or malformed.
bool IntColumn(const KString& text, int index, int32_t* out) {
    KString63 column;
    return text.Field(column, index, u',', 0) && ParseScriptInt(column, out);
}

// A dotted quad; false for anything else.
bool ParseAddress(const KString& column, uint32_t* out) {
    KString31 text(column);
    uint32_t value = 0;
    for (int part = 0; part < 4; ++part) {
        int32_t n;
        const int32_t before = text.Length();
        if (!text.ParseInt(&n, 10) || n < 0 || n > 255 || before - text.Length() > 3) return false;
        value = value << 8 | static_cast<uint32_t>(n);
        if (part < 3) {
            if (text.CharAt(0) != u'.') return false;
            text.Seek(1, 1);
        }
    }
    *out = value;
    return text.IsEmpty();
}

const KString& TimeText(KRegistry& settings, const char16_t* name) {
    KString63 path(KString(u"\\Strings\\Time\\"));
    path.Append(name);
    return settings.StringOf(path);
}

}  // namespace

TPortSpec TPortSpec::Parse(const KString& text) {
    TPortSpec spec;
    if (!IntColumn(text, 0, &spec.port)) spec.port = 0;
    if (spec.port >= 1) {
        spec.kind = kSerial;
        int32_t v;
        if (IntColumn(text, 1, &v)) spec.baud = v;
        if (IntColumn(text, 2, &v) && v >= 4 && v <= 8) spec.dataBits = v;
        KString31 parity;
        text.Field(parity, 3, u',', 0);
        parity.TrimLeft();
        parity.TrimRight();
        const KChar p = KToUpper(parity.CharAt(0));
        if (p == u'O' || p == u'E' || p == u'M' || p == u'S') spec.parity = p;
        KString31 stop;
        double bits;
        if (text.Field(stop, 4, u',', 0) && stop.ParseReal(&bits)) {
            if (bits == 1.5) spec.stopTenths = 15;
            if (bits == 2) spec.stopTenths = 20;
        }
        if (IntColumn(text, 5, &v)) spec.refresh = v;
        return spec;
    }
    if (spec.port < -3 || spec.port == 0) return spec;
    spec.kind = spec.port == -1 ? kTcpConnect : spec.port == -2 ? kTcpListen : kUdp;
    KString31 address;
    if (text.Field(address, 1, u',', 0)) {
        spec.hasAddress = true;
        if (!address.IsEmpty() && !ParseAddress(address, &spec.address)) spec.hasAddress = false;
    }
    int32_t ipPort;
    if (IntColumn(text, 2, &ipPort) && ipPort >= 0 && ipPort <= 65535) {
        spec.ipPort = static_cast<uint16_t>(ipPort);
        spec.hasIpPort = true;
    }
    return spec;
}

void TPortSpec::AppendAddress(KString& out, uint32_t address) {
    for (int part = 3; part >= 0; --part) {
        out.AppendInt(static_cast<int32_t>((address >> (8 * part)) & 0xFF));
        if (part) out.AppendChar(u'.');
    }
}

void TPortSpec::Write(KString& out) const {
    out.AppendInt(kind == kNone ? 0 : port);
    if (kind == kSerial) {
        out.AppendChar(u',').AppendInt(baud).AppendChar(u',').AppendInt(dataBits);
        out.AppendChar(u',').AppendChar(parity).AppendChar(u',');
        out.Append(stopTenths == 15 ? u"1.5" : stopTenths == 20 ? u"2.0" : u"1.0");
        if (refresh != 0) out.AppendChar(u',').AppendInt(refresh);
    } else if (kind != kNone) {
        out.AppendChar(u',');
        AppendAddress(out, kind == kTcpListen ? 0 : address);
        out.AppendChar(u',').AppendInt(ipPort);
    }
}

void AppendDuration(KString& out, int32_t milliseconds, KRegistry& settings) {
    int64_t ms = milliseconds;
    if (ms < 0) {
        out.Append(TimeText(settings, u"NegChr"));
        ms = -ms;
    }
    const int64_t days = ms / 86400000;
    if (days > 0)
        out.AppendInt(static_cast<int32_t>(days)).Append(TimeText(settings, u"DayHourSep"));
    out.AppendInt(static_cast<int32_t>(ms / 3600000 % 24), days > 0 ? "%02d" : "%d");
    out.Append(TimeText(settings, u"HourMinuteSep"));
    out.AppendInt(static_cast<int32_t>(ms / 60000 % 60), "%02d")
        .Append(TimeText(settings, u"MinuteSecondSep"));
    out.AppendInt(static_cast<int32_t>(ms / 1000 % 60), "%02d")
        .Append(TimeText(settings, u"SecondFracSep"));
    out.AppendInt(static_cast<int32_t>(ms % 1000), "%03d");
}

bool ParseDuration(const KString& text, int32_t* milliseconds, KRegistry& settings) {
    KString63 t(text);
    t.TrimLeft();
    t.TrimRight();
    const KString& neg = TimeText(settings, u"NegChr");
    const bool negative = !neg.IsEmpty() && t.StartsWithIgnoreCase(neg);
    if (negative) t.Seek(neg.Length(), 1);
    // Units from the largest on: each number is followed by the separator of
    // the next smaller unit; the fraction has up to three digits.
    const KString* seps[] = {
        &TimeText(settings, u"DayHourSep"), &TimeText(settings, u"HourMinuteSep"),
        &TimeText(settings, u"MinuteSecondSep"), &TimeText(settings, u"SecondFracSep")};
    int64_t numbers[5];
    int count = 0;
    for (;;) {
        int32_t n;
        if (count == 5 || !KIsDigit(t.CharAt(0)) || !t.ParseInt(&n, 10) || n < 0) return false;
        numbers[count++] = n;
        if (t.IsEmpty()) break;
        bool matched = false;
        for (const KString* sep : seps) {
            if (!sep->IsEmpty() && t.StartsWithIgnoreCase(*sep)) {
                t.Seek(sep->Length(), 1);
                matched = true;
                break;
            }
        }
        if (!matched) return false;
    }
    // The last number is milliseconds when the text has a fraction part: the
    // written form always has one.
    static const int64_t units[] = {86400000, 3600000, 60000, 1000, 1};
    const int first = 5 - count;
    int64_t total = 0;
    for (int i = 0; i < count; ++i) total += numbers[i] * units[first + i];
    if (total > 0x7FFFFFFF) return false;
    *milliseconds = static_cast<int32_t>(negative ? -total : total);
    return true;
}
