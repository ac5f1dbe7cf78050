#include "TZWebOptions.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

#include "KRValues.h"
#include "KRegistry.h"
#include "KZText.h"

namespace {

constexpr const char16_t* kTexts = u"\\Strings\\Options\\Display\\";

KString WebPath(const char16_t* name) {
    KString path(31);
    path.Append(KString(u"\\Web\\")).Append(KString(name));
    return path;
}

struct NumberSetting {
    const char16_t* name;
    const char16_t* label;
    const char* objectName;
    int max;
};
constexpr NumberSetting kNumberSettings[] = {
    {u"Port", u"WebPort", "webPort", 65535},
    {u"Delay", u"WebDelay", "webDelay", 600000},
    {u"MaxClients", u"WebMaxClients", "webMaxClients", 1000}};

void WriteString(KRegistry& settings, const char16_t* name, const QString& text) {
    KRString* setting = settings.FindString(WebPath(name));
    const KString value = KZKString(text);
    if (setting && !setting->value.Equals(value)) setting->Set(value);
}

}  // namespace

TZWebOptions::TZWebOptions(KRegistry& settings, QWidget* parent)
    : QGroupBox(KZSettingText(settings, kTexts, u"Web"), parent), settings_(settings) {
    setObjectName("web");
    const auto text = [&](const char16_t* name) { return KZSettingText(settings, kTexts, name); };
    auto* form = new QFormLayout(this);
    address_ = new QLineEdit(KZQString(settings.StringOf(WebPath(u"Address"))), this);
    address_->setObjectName("webAddress");
    form->addRow(text(u"WebAddress"), address_);
    for (int i = 0; i < kNumbers; ++i) {
        const NumberSetting& n = kNumberSettings[i];
        numbers_[i] = new QSpinBox(this);
        numbers_[i]->setObjectName(n.objectName);
        numbers_[i]->setRange(0, n.max);
        const KRInt* setting = settings.FindInt(WebPath(n.name));
        numbers_[i]->setValue(setting ? setting->value : 0);
        form->addRow(text(n.label), numbers_[i]);
        if (i == kPort) {
            token_ = new QLineEdit(KZQString(settings.StringOf(WebPath(u"Token"))), this);
            token_->setObjectName("webToken");
            form->addRow(text(u"WebToken"), token_);
        }
    }
    numbers_[kMaxClients]->setMinimum(1);
    transparent_ = new QCheckBox(text(u"WebTransparent"), this);
    transparent_->setObjectName("webTransparent");
    const KRInt* transparent = settings.FindInt(WebPath(u"Transparent"));
    transparent_->setChecked(transparent && transparent->value != 0);
    form->addRow(QString(), transparent_);
}

void TZWebOptions::Apply() {
    WriteString(settings_, u"Address", address_->text().trimmed());
    WriteString(settings_, u"Token", token_->text());
    for (int i = 0; i < kNumbers; ++i) {
        KRInt* setting = settings_.FindInt(WebPath(kNumberSettings[i].name));
        if (setting && setting->value != numbers_[i]->value()) setting->Set(numbers_[i]->value());
    }
    KRInt* transparent = settings_.FindInt(WebPath(u"Transparent"));
    const int on = transparent_->isChecked() ? 1 : 0;
    if (transparent && transparent->value != on) transparent->Set(on);
}
