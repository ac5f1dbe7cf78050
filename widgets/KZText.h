#pragma once

#include <QString>

#include "KRegistry.h"
#include "KString.h"

// The same 16-bit units as a Qt string.
inline QString KZQString(const KString& text) {
    return QString(reinterpret_cast<const QChar*>(text.Chars()), text.Length());
}

// A copy of a Qt string's 16-bit units.
inline KString KZKString(const QString& text) {
    KString out(static_cast<int32_t>(text.size()), KString::kMaxLimit);
    out.Append(reinterpret_cast<const KChar*>(text.utf16()), static_cast<int32_t>(text.size()));
    return out;
}

// The text of the String setting prefix + name (empty when there is none),
// as a Qt string: every label of the dialogs comes from the settings.
inline QString KZSettingText(KRegistry& settings, const char16_t* prefix, const char16_t* name) {
    KString path(63, 255);
    path.Append(KString(prefix)).Append(KString(name));
    return KZQString(settings.StringOf(path));
}
