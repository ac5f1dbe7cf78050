#include "TPortSpec.h"

#include "TFields.h"

namespace {

// A column read by the script integer rule; false when missing or malformed.
bool IntColumn(const KString& text, int index, int32_t* out) {
    KString63 column;
    return text.Field(column, index, u',', 0) && ParseScriptInt(column, out);
}

}  // namespace

bool TPortSpec::ParseAddress(const KString& column, uint32_t* out) {
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

TPortSpec TPortSpec::Parse(const KString& text) {
    TPortSpec spec;
    if (!IntColumn(text, 0, &spec.port)) spec.port = 0;
    if (spec.port >= 0) {
        // Port 0 keeps the line settings a serial port had before it.
        if (spec.port >= 1) spec.kind = kSerial;
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
    if (spec.port < -3) return spec;
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
