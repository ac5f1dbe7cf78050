#include "TZOptionsDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "KZDialogButtons.h"
#include "KZText.h"
#include "TZDisplayOptions.h"
#include "TZGeneralOptions.h"
#include "TZSourceOptions.h"

TZOptionsDialog::TZOptionsDialog(const TZOptionsTarget& target, QWidget* parent)
    : QDialog(parent),
      general_(new TZGeneralOptions(target)),
      sources_(new TZSourceOptions(target)),
      display_(new TZDisplayOptions(target)) {
    KRegistry& settings = target.settings;
    setWindowTitle(KZSettingText(settings, u"\\Strings\\Options\\", u"Title"));
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("pages");
    tabs_->addTab(general_, KZSettingText(settings, u"\\Strings\\Options\\General\\", u"Title"));
    tabs_->addTab(sources_, KZSettingText(settings, u"\\Strings\\Options\\Source\\", u"Title"));
    tabs_->addTab(display_, KZSettingText(settings, u"\\Strings\\Options\\Display\\", u"Title"));
    QDialogButtonBox* buttons = KZOkCancel(settings, *this);
    auto* column = new QVBoxLayout(this);
    column->addWidget(tabs_);
    column->addWidget(buttons);
    resize(680, 440);
}

void TZOptionsDialog::accept() {
    // Nothing is stored while a port typed cannot be: OK would lose it.
    if (!sources_->PortReady()) {
        tabs_->setCurrentWidget(sources_);
        return;
    }
    profileStored_ = general_->Apply();
    sources_->Apply();
    display_->Apply();
    QDialog::accept();
}
