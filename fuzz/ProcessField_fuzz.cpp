// Arbitrary bytes as a process text and a value: the first byte chooses where
// the input splits, the rest are 16-bit units (little-endian pairs).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "TFieldStringProcessor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::vector<KChar> units;
    for (size_t i = 1; i + 1 < size; i += 2)
        units.push_back(static_cast<KChar>(data[i] | data[i + 1] << 8));
    const size_t split = units.empty() ? 0 : data[0] % (units.size() + 1);
    KString process(units.data(), static_cast<int32_t>(split));
    KString text(31, kProcessedLimit);
    text.Append(units.data() + split, static_cast<int32_t>(units.size() - split));
    ProcessField(text, (data[0] & 0x80) ? nullptr : &process);
    if (text.Length() > kProcessedLimit) __builtin_trap();
    return 0;
}
