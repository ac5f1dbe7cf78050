#include "KZErrorText.h"

#include <string>

#include "KRegistry.h"

namespace {

const KString& ErrorString(KRegistry& settings, int64_t code) {
    KString path;
    path.Append(KString(u"\\Strings\\Errors\\")).AppendNarrow(std::to_string(code).c_str());
    return settings.StringOf(path);
}

}  // namespace

KString KZErrorText(KRegistry& settings, int32_t code, int32_t detail) {
    // The group's first code, rounded towards minus infinity in 64 bits so
    // that no code overflows.
    const int64_t group = int64_t{code} - ((int64_t{code} % 1000) + 1000) % 1000;
    KString text(ErrorString(settings, code));
    if (text.IsEmpty()) text.Assign(ErrorString(settings, group));
    if (text.IsEmpty()) text.Assign(settings.StringOf(u"\\Strings\\Alerts\\OperationFailed"));
    text.AppendNarrow(" (").AppendInt(code);
    if (detail >= 0) text.AppendChar(u',').AppendInt(detail);
    return text.AppendNarrow(").");
}
