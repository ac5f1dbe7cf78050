#include "TZSourceOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

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
    port_->changed = [this] { portEdited_ = true; };
    list_->Fill(nullptr);
    // With a source listed, selecting it has shown it already.
    if (!selected_) SelectionChanged();
}

void TZSourceOptions::FillScripts() {
    const QString standard = KZQString(KString(TSources::kDefaultScript));
    script_->addItem(standard);
    const QStringList files = QDir(QString::fromStdString(target_.home))
                                  .entryList({"*.rss"}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& file : files)
        if (file != standard) script_->addItem(file);
}

bool TZSourceOptions::PortReady() {
    KString spec(63);
    if (!portEdited_ || port_->Spec(spec)) return true;
    port_->setFocus();
    QApplication::beep();
    return false;
}

void TZSourceOptions::NewSource() {
    if (!PortReady()) return;
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
    if (selected_ && !PortReady()) {
        // The source stays selected until its port can be stored; the list
        // is filled again once its own signal is over.
        QTimer::singleShot(0, this, [this, keep = selected_] {
            list_->blockSignals(true);
            list_->Fill(keep);
            list_->blockSignals(false);
        });
        return;
    }
    Store();
    selected_ = list_->Selected();
    details_->setEnabled(selected_ != nullptr);
    delete_->setEnabled(selected_ != nullptr);
    Load();
}

void TZSourceOptions::Store() {
    if (!selected_) return;
    StoreText(selected_->Find<KRString>(u"Name"), KZKString(name_->text()));
    if (script_->currentText() != shownScript_)
        StoreText(selected_->Find<KRString>(u"Script"), KZKString(script_->currentText()));
    KRInt* charMode = selected_->Find<KRInt>(u"CharMode");
    if (charMode && charMode_->Value() >= 0 && charMode->value != charMode_->Value())
        charMode->Set(charMode_->Value());
    KString spec(63);
    // The control writes a port in its own form: a port the user did not
    // touch stays as it is stored.
    if (portEdited_ && port_->Spec(spec)) StoreText(selected_->Find<KRString>(u"SerialPort"), spec);
}

void TZSourceOptions::Load() {
    if (!selected_) return;
    const KRString* name = selected_->Find<KRString>(u"Name");
    const QString nameText = name ? KZQString(name->value) : QString();
    // A longer stored name is shown whole, so that storing it does not cut it.
    name_->setMaxLength(std::max(kMaxName, static_cast<int>(nameText.size())));
    name_->setText(nameText);
    const KRString* script = selected_->Find<KRString>(u"Script");
    const QString scriptName = script ? KZQString(script->value) : QString();
    // A script that is not in the folder any more stays chosen.
    if (!scriptName.isEmpty() && script_->findText(scriptName) < 0) script_->addItem(scriptName);
    script_->setCurrentIndex(scriptName.isEmpty() ? 0 : script_->findText(scriptName));
    shownScript_ = script_->currentText();
    const KRInt* charMode = selected_->Find<KRInt>(u"CharMode");
    charMode_->SetValue(charMode ? charMode->value : 0);
    const KRString* port = selected_->Find<KRString>(u"SerialPort");
    port_->SetSpec(port ? port->value : KString(u"0"));
    portEdited_ = false;
}
