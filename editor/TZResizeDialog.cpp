#include "TZResizeDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include "KZDialogButtons.h"
#include "KZText.h"
#include "TLayout.h"

namespace {

constexpr const char16_t* kTexts = u"\\Strings\\Layout\\ResizeDlg\\";

}  // namespace

TZResizeDialog::TZResizeDialog(KRegistry& settings, KSize old, QWidget* parent)
    : QDialog(parent), width_(new QSpinBox), height_(new QSpinBox) {
    const auto text = [&](const char16_t* name) { return KZSettingText(settings, kTexts, name); };
    setWindowTitle(text(u"Title"));
    auto* form = new QFormLayout(this);
    form->addRow(text(u"Old"), new QLabel(QString("%1 × %2").arg(old.width).arg(old.height)));
    auto* sides = new QHBoxLayout;
    for (QSpinBox* side : {width_, height_}) side->setRange(1, TLayout::kMaxRescaleSide);
    width_->setObjectName("width");
    height_->setObjectName("height");
    width_->setValue(old.width);
    height_->setValue(old.height);
    sides->addWidget(new QLabel(text(u"Width")));
    sides->addWidget(width_, 1);
    sides->addWidget(new QLabel(text(u"Height")));
    sides->addWidget(height_, 1);
    form->addRow(text(u"New"), sides);
    form->addRow(KZOkCancel(settings, *this));
}

KSize TZResizeDialog::Chosen() const {
    return {width_->value(), height_->value()};
}
