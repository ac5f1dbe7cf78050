#pragma once

#include <QString>

#include "KString.h"

// The same 16-bit units as a Qt string.
inline QString KZQString(const KString& text) {
    return QString(reinterpret_cast<const QChar*>(text.Chars()), text.Length());
}
