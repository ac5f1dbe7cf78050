#include "TZLayoutDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

#include "KColorTable.h"
#include "KZDialogButtons.h"
#include "KZText.h"
#include "TLayout.h"
#include "TZColorPicker.h"

namespace {

constexpr const char16_t* kTexts = u"\\Strings\\Layout\\Dialog\\";

}  // namespace

TZLayoutDialog::TZLayoutDialog(TLayout& layout, KRegistry& settings, const TZSourceNames& names,
                               QWidget* parent)
    : QDialog(parent), layout_(layout) {
    const auto text = [&](const char16_t* name) { return KZSettingText(settings, kTexts, name); };
    setWindowTitle(text(u"Title"));
    KColorTable colors;
    colors.Load(settings);
    background_ = new TZColorPicker(settings, colors);
    background_->setObjectName("background");
    rule_ = new TZSourceRule(text(u"SrcAny"), text(u"SrcSelected"), names.definitions);
    rule_->setObjectName("sourceRule");
    QDialogButtonBox* buttons = KZOkCancel(settings, *this);
    auto* form = new QFormLayout(this);
    form->addRow(text(u"Background"), background_);
    form->addRow(text(u"Source"), rule_);
    form->addRow(buttons);

    background_->SetPicked([this] {
        if (const std::optional<KColor> colour = background_->Color())
            layout_.SetBackground(*colour);
        Show();
    });
    rule_->SetModePicked([this](int32_t mode) {
        layout_.SetSourceMode(mode);
        Show();
    });
    rule_->SetSourcePicked([this](int32_t index, bool on) {
        layout_.SelectSource(index, on);
        Show();
    });
    Show();
}

void TZLayoutDialog::Show() {
    const TLayoutState& state = layout_.State();
    background_->SetColor(state.background);
    rule_->Show(state.sourceMode, state.sourceMask, state.sourceMask);
}
