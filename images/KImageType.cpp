#include "KImageType.h"

KImageType KImageTypeOf(const KString& path) {
    const int32_t dot = path.FindLast(u'.');
    if (dot < 0 || dot < path.FindLast(u'/')) return KImageType::kTarga;
    const KString extension(path.Chars() + dot + 1, path.Length() - dot - 1);
    if (extension.StartsWithIgnoreCase(u"jp")) return KImageType::kJpeg;
    if (extension.EqualsIgnoreCase(u"gif")) return KImageType::kGif;
    return KImageType::kTarga;
}
