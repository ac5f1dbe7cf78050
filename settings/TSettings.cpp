#include "TSettings.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "KAtomicSave.h"
#include "KBufferedFile.h"
#include "KErrors.h"
#include "KFileInfo.h"
#include "KUtf8.h"
#include "KX.h"
#include "TDefaultSettings.h"
#include "TProgramHome.h"

namespace {

KString Text(const std::string& utf8) {
    KString s(31, KFile::kMaxPath);
    KAppendUtf8(s, utf8);
    return s;
}

// The user's locale name, "de_DE.UTF-8" form, from the environment.
std::string LocaleName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return "";
}

// How well a language file's locale code serves the chosen locale.
int Rank(const KString& code, const KString& choice) {
    if (code.EqualsIgnoreCase(choice)) return 3;
    if (code.Length() >= 5 && choice.Length() >= 5 &&
        code.Compare(choice, 5, KString::kIgnoreCase) == 0)
        return 2;
    if (code.Length() >= 2 && choice.Length() >= 2 &&
        code.Compare(choice, 2, KString::kIgnoreCase) == 0)
        return 1;
    return 0;
}

bool ReadFirstLine(KStream& stream, KString& line) {
    return stream.ReadUntil(line, KString(u"\n"), KString(u"")) == u'\n';
}

}  // namespace

int TSettings::Start(const std::string& home, bool readOnly) {
    home_ = home;
    ChooseConfigFile(home, readOnly);
    ApplyDefaultSettings(registry_);
    const int result = LoadConfig();
    CollectLanguages(home);
    LoadLanguage();
    return result;
}

void TSettings::ChooseConfigFile(const std::string& home, bool readOnly) {
    std::string profile;
    if (!ReadProfileName(&profile) && !readOnly) WriteProfileName("");
    configPath_ = home + "/" + kConfigFileName;
    if (profile.empty()) return;
    const std::string named = home + "/" + profile + ".cfg";
    if (KFile(Text(named)).Exists()) {
        configPath_ = named;
    } else if (!readOnly) {
        WriteProfileName("");
    }
}

int TSettings::LoadConfig() {
    KBufferedFile file(Text(configPath_), KBufferedFile::kDefaultSize);
    if (!file.Exists()) return 0;
    try {
        file.Open(KFile::kRead | KFile::kShareRead | KFile::kRegularOnly, false);
        if (file.GetSize() == 0) return 0;
        registry_.Read(file);
        // Read up to a faulty sector, it is not the whole configuration,
        // and saving it would lose the rest.
        if (file.ReadFailed()) throw KXStream(kErrFileRead, 0);
    } catch (const KX&) {
        configFailed_ = true;
        return kErrConfigLoad;
    }
    configLoaded_ = true;
    file.CopySettings(&configForm_);
    return 0;
}

void TSettings::CollectLanguages(const std::string& home) {
    KRGroup* choices = registry_.FindGroup(KString(u"\\Language\\Choices\\"));
    if (!choices) return;
    std::vector<std::string> names;
    KFileInfo info;
    const KFile pattern(Text(home + "/*.lng"));
    while (info.FindNext(pattern)) names.push_back(KUtf8Of(info.name));
    std::sort(names.begin(), names.end());
    int number = 0;
    for (const std::string& name : names) {
        KBufferedFile file(Text(home + "/" + name), KBufferedFile::kDefaultSize);
        KString header(63, 4095);
        if (file.TryOpen(KFile::kRead | KFile::kShareRead | KFile::kRegularOnly, false) != 0)
            continue;
        if (!ReadFirstLine(file, header)) continue;
        KString line(63, 8191);
        line.AppendInt(++number).Append(u":String=");
        KAppendUtf8(line, name);
        line.AppendChar(u',').Append(header);
        choices->Apply(line);
    }
    choices->nodeFlags &= ~KRNode::kPersistent;
}

void TSettings::LoadLanguage() {
    KRString* choice = registry_.FindString(KString(u"\\Language\\Choice"));
    KRGroup* choices = registry_.FindGroup(KString(u"\\Language\\Choices\\"));
    if (!choice || !choices) return;
    if (!configLoaded_) choice->Set(Text(LocaleName()));
    const KRString* best = nullptr;
    int bestRank = 0;
    for (const KRNode& node : choices->children) {
        const auto* entry = dynamic_cast<const KRString*>(&node);
        if (!entry) continue;
        KString63 code;
        entry->value.Field(code, 2, u',', 0);
        const int rank = Rank(code, choice->value);
        if (rank > bestRank) best = entry, bestRank = rank;
    }
    if (!best) return;
    KString file(63, KFile::kMaxPath);
    best->value.Field(file, 0, u',', 0);
    const std::string folder = configPath_.substr(0, configPath_.rfind('/'));
    KBufferedFile language(Text(folder + "/" + KUtf8Of(file)), KBufferedFile::kDefaultSize);
    try {
        language.Open(KFile::kRead | KFile::kShareRead | KFile::kRegularOnly, false);
        KString header(63, 4095);
        ReadFirstLine(language, header);
        registry_.Read(language);
    } catch (const KX&) {
        return;
    }
    languagePath_ = KUtf8Of(language.Path());
    languageHeader_.Empty();
    const int32_t comma = best->value.Find(u',');
    best->value.SubString(languageHeader_, comma + 1, best->value.Length());
    language.CopySettings(&languageForm_);
}

int TSettings::Save() {
    if (configFailed_) return kErrConfigSave;
    return WriteConfig(configPath_);
}

std::string TSettings::ProfilePath(const std::string& name) const {
    return home_ + "/" + name + ".cfg";
}

bool TSettings::CanCreateProfile(const std::string& name) const {
    if (name.empty() || name.size() > kMaxProfileName || name[0] == '.') return false;
    if (name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) return false;
    const std::string file = name + ".cfg";
    if (strcasecmp(file.c_str(), kConfigFileName) == 0) return false;
    return !KFile(Text(ProfilePath(name))).Exists();
}

int TSettings::CreateProfile(const std::string& name) {
    if (!CanCreateProfile(name)) return kErrConfigSave;
    return WriteConfig(ProfilePath(name));
}

int TSettings::WriteConfig(const std::string& path) {
    if (KRGroup* strings = registry_.FindGroup(KString(u"\\Strings\\")))
        strings->nodeFlags &= ~KRNode::kPersistent;
    try {
        KSaveAtomically(Text(path), [&](KStream& s) {
            configForm_.CopySettings(&s);
            s.WriteBOM();
            registry_.Write(s);
        });
    } catch (const KX&) {
        return kErrConfigSave;
    }
    return 0;
}

int TSettings::ExportLanguage() {
    KRGroup* strings = registry_.FindGroup(KString(u"\\Strings\\"));
    if (languagePath_.empty() || !strings) return 0;
    try {
        KSaveAtomically(Text(languagePath_), [&](KStream& s) {
            languageForm_.CopySettings(&s);
            s.WriteBOM();
            s.WriteText(languageHeader_);
            s.PutChar(u'\n');
            strings->Write(s);
        });
    } catch (const KX&) {
        return kErrConfigSave;
    }
    return 0;
}
