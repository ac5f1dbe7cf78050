#include "KZAlerts.h"

#include <QMessageBox>
#include <QPushButton>

#include "KRegistry.h"
#include "KZErrorText.h"
#include "KZText.h"

namespace {

QString AlertText(const KString& text) {
    return KZQString(text).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

}  // namespace

void KZAlerts::ShowError(int32_t code, int32_t detail) {
    ShowError(settings_.StringOf(u"\\Strings\\Alerts\\Error"),
              KZErrorText(settings_, code, detail));
}

void KZAlerts::ShowError(const KString& title, const KString& text) {
    Show(Kind::kError, title, text, false, false);
}

void KZAlerts::ShowMessage(const KString& text) {
    ShowMessage(settings_.StringOf(u"\\Strings\\Alerts\\Message"), text);
}

void KZAlerts::ShowMessage(const KString& title, const KString& text) {
    Show(Kind::kMessage, title, text, false, false);
}

bool KZAlerts::Ask(const KString& title, const KString& text) {
    return Show(Kind::kQuestion, title, text, true, false) == Answer::kYes;
}

KZAlerts::Answer KZAlerts::AskYesNoCancel(const KString& title, const KString& text) {
    return Show(Kind::kQuestion, title, text, true, true);
}

KZAlerts::Answer KZAlerts::Show(Kind kind, const KString& title, const KString& text, bool no,
                                bool cancel) {
    const QString shownTitle = KZQString(title);
    const QString shownText = AlertText(text);
    if (responder_) return responder_(kind, shownTitle, shownText);

    const QMessageBox::Icon icon = kind == Kind::kError     ? QMessageBox::Critical
                                   : kind == Kind::kMessage ? QMessageBox::Information
                                                            : QMessageBox::Question;
    QMessageBox box(icon, shownTitle, shownText, QMessageBox::NoButton, parent_);
    auto button = [&](const char16_t* name, QMessageBox::ButtonRole role) {
        KString path;
        path.Append(KString(u"\\Strings\\Dialog\\")).Append(KString(name));
        return box.addButton(KZQString(settings_.StringOf(path)), role);
    };
    if (kind != Kind::kQuestion) {
        box.setEscapeButton(button(u"Ok", QMessageBox::AcceptRole));
        box.exec();
        return Answer::kOk;
    }
    QPushButton* yes = button(u"Yes", QMessageBox::YesRole);
    QPushButton* noButton = no ? button(u"No", QMessageBox::NoRole) : nullptr;
    QPushButton* cancelButton = cancel ? button(u"Cancel", QMessageBox::RejectRole) : nullptr;
    box.setDefaultButton(yes);
    box.setEscapeButton(cancelButton ? cancelButton : noButton);
    box.exec();
    if (box.clickedButton() == yes) return Answer::kYes;
    if (box.clickedButton() == noButton) return Answer::kNo;
    return cancelButton ? Answer::kCancel : Answer::kNo;
}
