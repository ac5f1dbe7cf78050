// Arbitrary bytes as a port specification (UTF-8, as typed into a setting):
// it must parse without harm, and the canonical text it writes must parse
// back to the same port.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "KUtf8.h"
#include "TPortSpec.h"

namespace {

// No port is written as "0" alone: the line settings a text gave it are not
// part of its canonical text.
bool SamePort(const TPortSpec& a, const TPortSpec& b) {
    if (a.kind == TPortSpec::kNone) return b.kind == TPortSpec::kNone;
    return a.kind == b.kind && a.port == b.port && a.baud == b.baud && a.dataBits == b.dataBits &&
           a.parity == b.parity && a.stopTenths == b.stopTenths && a.refresh == b.refresh &&
           a.ipPort == b.ipPort;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KString text;
    KAppendUtf8(text, reinterpret_cast<const char*>(data), size);
    const TPortSpec spec = TPortSpec::Parse(text);
    KString written;
    spec.Write(written);
    if (!SamePort(spec, TPortSpec::Parse(written))) std::abort();
    return 0;
}
