#include "TZLayoutMDI.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>

#include "KRegistry.h"
#include "KZAlerts.h"
#include "KZText.h"
#include "TLayout.h"
#include "TOpenLayouts.h"
#include "TZLayoutWindow.h"

namespace {

int32_t Scale(KRegistry& settings, const char16_t* path, int32_t missing) {
    const KRInt* value = settings.FindInt(KString(path));
    return value && value->value > 0 ? value->value : missing;
}

}  // namespace

TZLayoutMDI::TZLayoutMDI(TLayout& layout, TZLayoutHost& host, KSize display)
    : layout_(&layout), host_(host) {
    setAttribute(Qt::WA_DeleteOnClose);
    KRegistry& settings = host.Settings();
    view_ = new TZLayoutWindow(layout, settings, Scale(settings, u"\\Layout\\ScaleNumer", 3),
                               Scale(settings, u"\\Layout\\ScaleDenom", 4), this);
    view_->SetEditable([this] { return !host_.IsLocked(); });
    view_->SetChanged([this] { UpdateTitle(); });
    view_->setFixedSize(view_->ToWindow(display.width), view_->ToWindow(display.height));
    setWidget(view_);
    UpdateTitle();
    // File|Close window owns Ctrl+W; a second owner would leave the key
    // doing nothing at all.
    for (QAction* action : systemMenu()->actions()) {
        QList<QKeySequence> keys = action->shortcuts();
        keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W));
        action->setShortcuts(keys);
    }
}

void TZLayoutMDI::UpdateTitle() {
    KString title(63, KString::kMaxLimit);
    if (layout_) TOpenLayouts::AppendTitle(*layout_, title);
    if (layout_ && layout_->IsModified()) title.AppendChar(u'*');
    setWindowTitle(KZQString(title));
}

void TZLayoutMDI::Detach() {
    layout_ = nullptr;
    delete view_;
    view_ = nullptr;
}

bool TZLayoutMDI::AgreeToClose(bool exiting) {
    if (!layout_ || !layout_->IsModified()) return true;
    KRegistry& settings = host_.Settings();
    const KString& title =
        settings.StringOf(KString(exiting ? u"\\Strings\\Layout\\Close\\ExitTitle"
                                          : u"\\Strings\\Layout\\Close\\CloseTitle"));
    KString question(63, KString::kMaxLimit);
    question.Append(KString(u"'"));
    const KString& path = layout_->Path();
    const int32_t slash = path.FindLast(u'/');  // -1 without a folder
    question.Append(KString(path.Chars() + slash + 1, path.Length() - slash - 1));
    question.Append(KString(u"' "));
    question.Append(settings.StringOf(KString(exiting ? u"\\Strings\\Layout\\Close\\ExitText"
                                                      : u"\\Strings\\Layout\\Close\\CloseText")));
    switch (host_.Alerts().AskYesNoCancel(title, question)) {
        case KZAlerts::Answer::kNo:
            return true;
        case KZAlerts::Answer::kYes:
            break;
        default:
            return false;
    }
    const int32_t code = layout_->Save(TLayout::kSave);
    if (code == 0) {
        layout_->ClearModified();
        UpdateTitle();
        return true;
    }
    if (code != kErrCancelled) host_.Alerts().ShowError(code);
    return false;
}

void TZLayoutMDI::closeEvent(QCloseEvent* event) {
    if (host_.IsLocked() || !AgreeToClose(false)) {
        event->ignore();
        return;
    }
    event->accept();
    if (layout_) host_.CloseLayout(*layout_);
}
