#include "TField.h"

#include <algorithm>

bool TField::Extract(KString& buffer) {
    extracted = false;
    value.Empty();
    if (length >= 0) {
        if (buffer.Length() < length) {
            buffer.Seek(0, 2);
        } else {
            value.Append(buffer.Chars(), length);
            buffer.Seek(length, 1);
            extracted = true;
        }
    } else if (!stop.IsEmpty()) {
        const int32_t n = stop.Length();
        int32_t i = 0;
        const int32_t remaining = buffer.Length();
        const KChar* p = buffer.Chars();
        while (i < remaining && (remaining - i < n || !std::equal(p + i, p + i + n, stop.Chars())))
            ++i;
        value.Append(p, i);
        if (i < remaining) {
            buffer.Seek(i + n, 1);
            extracted = true;
        } else {
            buffer.Seek(0, 2);
        }
    }
    if (extracted && !process.IsEmpty()) ProcessField(value, &process);
    return extracted;
}
