#include "KZDialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "KZText.h"

QDialogButtonBox* KZOkCancel(KRegistry& settings, QDialog& dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)
        ->setText(KZSettingText(settings, u"\\Strings\\Dialog\\", u"Ok"));
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(KZSettingText(settings, u"\\Strings\\Dialog\\", u"Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}
