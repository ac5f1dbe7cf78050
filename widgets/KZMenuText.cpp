#include "KZMenuText.h"

#include <algorithm>

#include "KRegistry.h"
#include "TTrigger.h"

const KChar* const KZMenuText::kKeyName[kKeyNames] = {u"PgUp", u"PgDn", u"End",  u"Home", u"ArLt",
                                                      u"ArUp", u"ArRt", u"ArDn", u"Ins",  u"Del",
                                                      u"Tab",  u"Esc",  u"BkSp", u"Enter"};

namespace {

// Function keys beyond this keep this number; no keyboard has more.
constexpr int32_t kMaxFunctionKey = 99;

bool IsAsciiLetter(KChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

int32_t FindKeyName(const KString& name) {
    for (int32_t i = 0; i < KZMenuText::kKeyNames; ++i)
        if (name.Equals(KString(KZMenuText::kKeyName[i]))) return i;
    return KZMenuText::kNoNamedKey;
}

}  // namespace

KZMenuText::KZMenuText(KRegistry& settings, const KString& text) {
    // Plain fields: a menu text has no quoting.
    text.Field(caption_, 0, u',', 0);
    KString accelerator;
    if (text.Field(accelerator, 1, u',', 0)) ParseAccelerator(accelerator);
    BuildShown(settings);
}

void KZMenuText::ParseAccelerator(KString& rest) {
    while (rest.Length() >= 3 && rest.CharAt(1) == u'+' && IsAsciiLetter(rest.CharAt(0))) {
        switch (rest.CharAt(0)) {
            case u'A':
                modifiers_ |= kKeyAlt;
                break;
            case u'C':
                modifiers_ |= kKeyCtrl;
                break;
            case u'S':
                modifiers_ |= kKeyShift;
                break;
        }
        rest.Seek(2, 1);
    }
    if (rest.IsEmpty()) return;
    hasAccelerator_ = true;
    if (rest.CharAt(0) == u'F' && KIsDigit(rest.CharAt(1))) {
        for (int32_t i = 1; KIsDigit(rest.CharAt(i)); ++i)
            functionKey_ =
                std::min(functionKey_ * 10 + KDigitValue(rest.CharAt(i)), kMaxFunctionKey);
    } else if (rest.Length() > 1) {
        namedKey_ = FindKeyName(rest);
    }
    if (functionKey_ == 0 && namedKey_ == kNoNamedKey) character_ = rest.CharAt(0);
    if (!(modifiers_ & (kKeyAlt | kKeyCtrl)) && functionKey_ == 0 && namedKey_ == kNoNamedKey)
        modifiers_ |= kKeyCtrl;
}

void KZMenuText::BuildShown(KRegistry& settings) {
    shown_.Assign(caption_);
    if (!hasAccelerator_) return;
    shown_.AppendChar(u'\t');
    if (modifiers_ & kKeyShift)
        shown_.Append(settings.StringOf(u"\\Strings\\Menu\\Shift")).AppendChar(u'+');
    if (modifiers_ & kKeyCtrl)
        shown_.Append(settings.StringOf(u"\\Strings\\Menu\\Ctrl")).AppendChar(u'+');
    if (modifiers_ & kKeyAlt)
        shown_.Append(settings.StringOf(u"\\Strings\\Menu\\Alt")).AppendChar(u'+');
    if (functionKey_ > 0) {
        shown_.Append(settings.StringOf(u"\\Strings\\Menu\\Func")).AppendInt(functionKey_);
    } else if (namedKey_ != kNoNamedKey) {
        shown_.Append(KString(kKeyName[namedKey_]));
    } else {
        shown_.AppendChar(character_);
    }
}
