#include "TZOptionsDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "KZText.h"
#include "TZDisplayOptions.h"
#include "TZGeneralOptions.h"
#include "TZSourceOptions.h"

namespace {

constexpr const char16_t* kButtons = u"\\Strings\\Dialog\\";

}  // namespace

TZOptionsDialog::TZOptionsDialog(const TZOptionsTarget& target, QWidget* parent)
    : QDialog(parent),
      general_(new TZGeneralOptions(target)),
      sources_(new TZSourceOptions(target)),
      display_(new TZDisplayOptions(target)) {
    KRegistry& settings = target.settings;
    setWindowTitle(KZSettingText(settings, u"\\Strings\\Options\\", u"Title"));
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("pages");
    tabs->addTab(general_, KZSettingText(settings, u"\\Strings\\Options\\General\\", u"Title"));
    tabs->addTab(sources_, KZSettingText(settings, u"\\Strings\\Options\\Source\\", u"Title"));
    tabs->addTab(display_, KZSettingText(settings, u"\\Strings\\Options\\Display\\", u"Title"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(KZSettingText(settings, kButtons, u"Ok"));
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(KZSettingText(settings, kButtons, u"Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(tabs);
    column->addWidget(buttons);
    resize(680, 440);
}

void TZOptionsDialog::accept() {
    general_->Apply();
    sources_->Apply();
    display_->Apply();
    QDialog::accept();
}
