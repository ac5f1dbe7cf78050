#include "TZGeneralOptions.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>

#include "KRValues.h"
#include "KZRadioGroup.h"
#include "KZText.h"
#include "TProgramHome.h"

namespace {

constexpr const char16_t* kTexts = u"\\Strings\\Options\\General\\";

}  // namespace

TZGeneralOptions::TZGeneralOptions(const TZOptionsTarget& target, QWidget* parent)
    : QWidget(parent), target_(target) {
    KRegistry& settings = target.settings;
    const auto text = [&](const char16_t* name) { return KZSettingText(settings, kTexts, name); };
    auto* form = new QFormLayout(this);
    // The third choice stands for 3: memorise the layouts at exit, and
    // reopen them at start-up.
    restore_ = new KZRadioGroup(
        {{text(u"RLOff"), 0}, {text(u"RLMemorized"), 1}, {text(u"RLLeftOpen"), 3}}, this);
    restore_->setObjectName("restoreLayouts");
    restoreOpen_ = settings.FindInt(KString(u"\\Layout\\RestoreOpen"));
    if (restoreOpen_) restore_->SetValue(restoreOpen_->value);
    form->addRow(text(u"RestoreLayouts"), restore_);

    profile_ = new QComboBox(this);
    profile_->setObjectName("profile");
    const bool profiles = FillProfiles();
    form->addRow(text(u"Profile"), profile_);
    auto* note = new QLabel(text(u"Restart"), this);
    note->setWordWrap(true);
    form->addRow(QString(), note);
    // Without a profile to choose from, there is nothing to show.
    form->setRowVisible(profile_, profiles);
    form->setRowVisible(note, profiles);
}

bool TZGeneralOptions::FillProfiles() {
    profile_->addItem(KZSettingText(target_.settings, kTexts, u"ProfileStd"));
    // Only what start-up can open: "Race.CFG" is not the profile "Race",
    // nor is a name longer than the profile file keeps.
    const QStringList files =
        QDir(QString::fromStdString(target_.home))
            .entryList({"*.cfg"}, QDir::Files | QDir::CaseSensitive, QDir::Name | QDir::IgnoreCase);
    std::string chosen;
    ReadProfileName(&chosen);
    for (const QString& file : files) {
        if (file.compare(kConfigFileName, Qt::CaseInsensitive) == 0) continue;
        const QString name = file.left(file.size() - 4);
        if (static_cast<size_t>(name.toUtf8().size()) > kMaxProfileName) continue;  // kept cut
        profile_->addItem(name);
        if (name.toStdString() == chosen) initialProfile_ = profile_->count() - 1;
    }
    profile_->setCurrentIndex(initialProfile_);
    return profile_->count() > 1 || !chosen.empty();
}

bool TZGeneralOptions::Apply() {
    if (restoreOpen_ && restore_->Value() >= 0) restoreOpen_->Set(restore_->Value());
    if (profile_->currentIndex() == initialProfile_) return true;
    // The standard entry chooses no profile.
    return WriteProfileName(profile_->currentIndex() == 0 ? std::string()
                                                          : profile_->currentText().toStdString());
}
