#include "TLayoutSettings.h"

#include "KFile.h"
#include "KPictureCache.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "TMemoryBudget.h"

namespace {

struct Entry {
    const char16_t* path;
    const char16_t* fallback;
};

constexpr Entry kEntries[TLayoutSettings::kTextCount] = {
    {u"\\Strings\\Layout\\Object\\Info\\Static", u"STA"},
    {u"\\Strings\\Layout\\Object\\Info\\Dynamic", u"DYN"},
    {u"\\Strings\\Layout\\Object\\Info\\Trigger", u"TRG"},
    {u"\\Strings\\Layout\\Object\\Info\\Override", u"OVR"},
    {u"\\Strings\\Layout\\Object\\Info\\Text", u"TXT"},
    {u"\\Strings\\Layout\\Object\\Info\\Bitmap", u"BMP"},
    {u"\\Strings\\Layout\\Object\\Info\\VidDsp", u"VID"},
    {u"\\Strings\\Layout\\DefaultName", u"Untitled"},
};

KRString* bound[TLayoutSettings::kTextCount] = {};
KRInt* minAnimDelay = nullptr;

KString& Folder() {
    static KString folder(255, KFile::kMaxPath);
    return folder;
}

}  // namespace

void TLayoutSettings::Bind(KRegistry* settings) {
    for (int i = 0; i < kTextCount; ++i)
        bound[i] = settings ? settings->FindString(kEntries[i].path) : nullptr;
    minAnimDelay = settings ? settings->FindInt(KString(u"\\Display\\MinAnimDelay")) : nullptr;
    TMemoryBudget::Bind(settings);
    KPictureCache::Shared().Bind(settings);
}

const KString& TLayoutSettings::Get(Text text) {
    static const KString fallbacks[kTextCount] = {
        kEntries[0].fallback, kEntries[1].fallback, kEntries[2].fallback, kEntries[3].fallback,
        kEntries[4].fallback, kEntries[5].fallback, kEntries[6].fallback, kEntries[7].fallback,
    };
    return bound[text] ? bound[text]->value : fallbacks[text];
}

int32_t TLayoutSettings::MinAnimDelay() {
    return minAnimDelay ? minAnimDelay->value : 30;
}

void TLayoutSettings::SetApplicationFolder(const KString& folder) {
    Folder() = folder;
}

const KString& TLayoutSettings::ApplicationFolder() {
    return Folder();
}
