#include "TZSourceOptions.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "KRGroup.h"
#include "KRValues.h"
#include "KSerialPort.h"
#include "KZRadioGroup.h"
#include "KZText.h"
#include "TPortSpec.h"
#include "TSources.h"
#include "TZPortEdit.h"
#include "TZSourceSelector.h"

namespace {

constexpr const char16_t* kTexts = u"\\Strings\\Options\\Source\\";
constexpr int kMaxName = 31;

template <typename T>
T* Setting(KRGroup& group, const char16_t* name) {
    KString path(name);
    return dynamic_cast<T*>(group.Apply(path));
}

// Only a new text is written: writing the port a source already uses would
// open its channel again and drop its connection.
void StoreText(KRString* setting, const KString& value) {
    if (setting && !setting->value.Equals(value)) setting->Set(value);
}

}  // namespace

TZSourceOptions::TZSourceOptions(const TZOptionsTarget& target, QWidget* parent)
    : QWidget(parent), target_(target) {
    KRegistry& settings = target.settings;
    const auto text = [&](const char16_t* name) { return KZSettingText(settings, kTexts, name); };
    auto* columns = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    list_ = new TZSourceSelector(settings, target.sources, this);
    left->addWidget(list_);
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(text(u"New"), this);
    add->setObjectName("new");
    delete_ = new QPushButton(text(u"Delete"), this);
    delete_->setObjectName("delete");
    buttons->addWidget(add);
    buttons->addWidget(delete_);
    buttons->addStretch();
    left->addLayout(buttons);
    columns->addLayout(left, 2);

    details_ = new QWidget(this);
    auto* detailsColumn = new QVBoxLayout(details_);
    detailsColumn->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    detailsColumn->addLayout(form);
    detailsColumn->addStretch();
    script_ = new QComboBox(details_);
    script_->setObjectName("script");
    FillScripts();
    form->addRow(text(u"Script"), script_);
    name_ = new QLineEdit(details_);
    name_->setObjectName("name");
    name_->setMaxLength(kMaxName);
    form->addRow(text(u"Name"), name_);
    const auto mode = [&](const char16_t* name) {
        return KZSettingText(settings, u"\\Strings\\CharMode\\", name);
    };
    charMode_ = new KZRadioGroup(
        {{mode(u"SingleByte"), 0}, {mode(u"Unicode"), 1}, {mode(u"Native"), 2}}, details_);
    charMode_->setObjectName("charMode");
    form->addRow(text(u"CharMode"), charMode_);
    port_ = new TZPortEdit(settings, KSerialPorts::Program(), details_);
    port_->setObjectName("portEdit");
    form->addRow(text(u"SerialPort"), port_);
    columns->addWidget(details_, 3);

    connect(add, &QPushButton::clicked, this, [this] { NewSource(); });
    connect(delete_, &QPushButton::clicked, this, [this] { DeleteSource(); });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { SelectionChanged(); });
    list_->Fill(nullptr);
    SelectionChanged();
}

void TZSourceOptions::FillScripts() {
    const QString standard = KZQString(KString(TSources::kDefaultScript));
    script_->addItem(standard);
    const QStringList files = QDir(QString::fromStdString(target_.home))
                                  .entryList({"*.rss"}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& file : files)
        if (file != standard) script_->addItem(file);
}

void TZSourceOptions::NewSource() {
    Store();
    KRGroup* group = TSources::AddGroup(target_.settings, KString(u"0,9600,8,N,1.0"));
    list_->blockSignals(true);
    list_->Fill(group);
    list_->blockSignals(false);
    selected_ = nullptr;
    SelectionChanged();
}

void TZSourceOptions::DeleteSource() {
    if (!selected_) return;
    selected_->nodeFlags |= KRNode::kDeleted;
    list_->Fill(selected_);
}

void TZSourceOptions::SelectionChanged() {
    Store();
    selected_ = list_->Selected();
    details_->setEnabled(selected_ != nullptr);
    delete_->setEnabled(selected_ != nullptr);
    Load();
}

void TZSourceOptions::Store() {
    if (!selected_) return;
    StoreText(Setting<KRString>(*selected_, u"Name"), KZKString(name_->text()));
    StoreText(Setting<KRString>(*selected_, u"Script"), KZKString(script_->currentText()));
    KRInt* charMode = Setting<KRInt>(*selected_, u"CharMode");
    if (charMode && charMode_->Value() >= 0 && charMode->value != charMode_->Value())
        charMode->Set(charMode_->Value());
    KString spec(63);
    if (port_->Spec(spec)) StoreText(Setting<KRString>(*selected_, u"SerialPort"), spec);
}

void TZSourceOptions::Load() {
    if (!selected_) return;
    const KRString* name = Setting<KRString>(*selected_, u"Name");
    name_->setText(name ? KZQString(name->value) : QString());
    const KRString* script = Setting<KRString>(*selected_, u"Script");
    const QString scriptName = script ? KZQString(script->value) : QString();
    // A script that is not in the folder any more stays chosen.
    if (!scriptName.isEmpty() && script_->findText(scriptName) < 0) script_->addItem(scriptName);
    script_->setCurrentIndex(scriptName.isEmpty() ? 0 : script_->findText(scriptName));
    const KRInt* charMode = Setting<KRInt>(*selected_, u"CharMode");
    charMode_->SetValue(charMode ? charMode->value : 0);
    const KRString* port = Setting<KRString>(*selected_, u"SerialPort");
    port_->SetSpec(port ? port->value : KString(u"0"));
}
