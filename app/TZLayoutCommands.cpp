#include "TZLayoutCommands.h"

#include <QAction>
#include <QDialog>
#include <QFileDialog>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "KRegistry.h"
#include "KZAlerts.h"
#include "KZMenuAction.h"
#include "KZMenuText.h"
#include "KZText.h"
#include "TDisplayEngine.h"
#include "TLayout.h"
#include "TOpenLayouts.h"
#include "TZLayoutDialog.h"
#include "TZLayoutMDI.h"
#include "TZLayoutWindow.h"
#include "TZObjectDialog.h"
#include "TZResizeDialog.h"
#include "TZSourceRule.h"

namespace {

const char* const kLayoutFilter = "Layout (*.tly *.json)";

}  // namespace

TZLayoutCommands::TZLayoutCommands(QMainWindow& window, TZLayoutHost& host, TDisplayEngine& engine,
                                   QMdiArea& area)
    : QObject(&window),
      window_(window),
      host_(host),
      engine_(engine),
      layouts_(engine.Layouts()),
      area_(area) {}

void TZLayoutCommands::Attach(TZLayoutWindow& editor) {
    editor.SetOpenObjects([this, &editor] { EditObjects(editor); });
}

void TZLayoutCommands::EditObjects(TZLayoutWindow& editor) {
    editor.EditInStep([&] {
        std::vector<TLayoutObject*> chosen = editor.Selection();
        if (chosen.empty()) return false;
        TZObjectDialog dialog(std::move(chosen), host_.Settings(), SourceNamesOf(engine_.Sources()),
                              &window_);
        return dialog.exec() == QDialog::Accepted;
    });
}

void TZLayoutCommands::EditLayout(TZLayoutWindow& editor) {
    editor.EditInStep([&] {
        TZLayoutDialog dialog(editor.Layout(), host_.Settings(), SourceNamesOf(engine_.Sources()),
                              &window_);
        return dialog.exec() == QDialog::Accepted;
    });
}

const KString& TZLayoutCommands::Text(const char16_t* path) const {
    return host_.Settings().StringOf(KString(path));
}

QString TZLayoutCommands::Caption(const char16_t* path) const {
    return KZQString(KZMenuText(host_.Settings(), Text(path)).Caption());
}

TZLayoutMDI* TZLayoutCommands::ActiveFrame() const {
    return dynamic_cast<TZLayoutMDI*>(area_.activeSubWindow());
}

QAction* TZLayoutCommands::Item(QMenu& menu, const char16_t* path, std::function<void()> run) {
    QAction* action = KZNewMenuAction(host_.Settings(), Text(path), &menu);
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    return action;
}

QAction* TZLayoutCommands::EditItem(QMenu& menu, const char16_t* path,
                                    std::function<void(TZLayoutWindow&)> run) {
    QAction* action = Item(menu, path, [this, run = std::move(run)] {
        TZLayoutMDI* frame = ActiveFrame();
        if (frame && frame->View()) run(*frame->View());
    });
    // The window's own key handling must not see the same keys twice.
    action->setShortcutContext(Qt::WindowShortcut);
    editing_.push_back(action);
    return action;
}

void TZLayoutCommands::AddMenus(QMenu& file, QMenuBar& bar) {
    editing_.push_back(Item(file, u"\\Strings\\MenuBar\\File\\New", [this] {
        if (!host_.IsLocked()) layouts_.NewLayout();
    }));
    editing_.push_back(Item(file, u"\\Strings\\MenuBar\\File\\Open", [this] { Open(); }));
    Item(file, u"\\Strings\\MenuBar\\File\\CloseWindow", [this] {
        if (QMdiSubWindow* active = area_.activeSubWindow()) active->close();
    });
    editing_.push_back(Item(file, u"\\Strings\\MenuBar\\File\\Save", [this] { Save(false); }));
    editing_.push_back(Item(file, u"\\Strings\\MenuBar\\File\\SaveAs", [this] { Save(true); }));
    editing_.push_back(Item(file, u"\\Strings\\MenuBar\\File\\MemorizeLayouts",
                            [this] { layouts_.MemorizeLayouts(); }));
    file.addSeparator();
    AddEditMenu(bar);
    AddLayoutMenu(bar);
    AddViewMenu(bar);
}

void TZLayoutCommands::AddEditMenu(QMenuBar& bar) {
    QMenu& edit = *bar.addMenu(Caption(u"\\Strings\\MenuBar\\Edit\\Title"));
    EditItem(edit, u"\\Strings\\MenuBar\\Edit\\Undo", [](TZLayoutWindow& e) { e.Undo(); });
    QAction* redo =
        EditItem(edit, u"\\Strings\\MenuBar\\Edit\\Redo", [](TZLayoutWindow& e) { e.Redo(); });
    redo->setShortcuts({redo->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit.addSeparator();
    EditItem(edit, u"\\Strings\\MenuBar\\Edit\\Cut", [](TZLayoutWindow& e) { e.Cut(); });
    EditItem(edit, u"\\Strings\\MenuBar\\Edit\\Copy", [](TZLayoutWindow& e) { e.Copy(); });
    EditItem(edit, u"\\Strings\\MenuBar\\Edit\\Paste", [this](TZLayoutWindow& e) { Paste(e); });
    QAction* clear = EditItem(edit, u"\\Strings\\MenuBar\\Edit\\Clear",
                              [](TZLayoutWindow& e) { e.DeleteSelection(); });
    clear->setShortcut(QKeySequence::Delete);
    edit.addSeparator();
    EditItem(edit, u"\\Strings\\MenuBar\\Edit\\SelectAll",
             [](TZLayoutWindow& e) { e.SelectAll(); });
    EditItem(edit, u"\\Strings\\MenuBar\\Edit\\SelectNone",
             [](TZLayoutWindow& e) { e.SelectNone(); });
    EditItem(edit, u"\\Strings\\MenuBar\\Edit\\SelectInvert",
             [](TZLayoutWindow& e) { e.InvertSelection(); });
}

void TZLayoutCommands::AddLayoutMenu(QMenuBar& bar) {
    QMenu& layout = *bar.addMenu(Caption(u"\\Strings\\MenuBar\\Layout\\Title"));
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\NewTextObj",
             [](TZLayoutWindow& e) { e.AddObject(0); });
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\NewBitmapObj",
             [](TZLayoutWindow& e) { e.AddObject(1); });
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\NewVidDspObj",
             [](TZLayoutWindow& e) { e.AddObject(2); });
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\DeleteObj",
             [](TZLayoutWindow& e) { e.DeleteSelection(); });
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\ObjProperties",
             [this](TZLayoutWindow& e) { EditObjects(e); });
    layout.addSeparator();
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\Resize",
             [this](TZLayoutWindow& e) { ResizeLayout(e); });
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\AlignVer",
             [](TZLayoutWindow& e) { e.Align(true); });
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\AlignHor",
             [](TZLayoutWindow& e) { e.Align(false); });
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\MoveBack",
             [](TZLayoutWindow& e) { e.MoveToBack(); });
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\MoveFront",
             [](TZLayoutWindow& e) { e.MoveToFront(); });
    layout.addSeparator();
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\Clear",
             [](TZLayoutWindow& e) { e.Layout().ClearValues(); });
    EditItem(layout, u"\\Strings\\MenuBar\\Layout\\Properties",
             [this](TZLayoutWindow& e) { EditLayout(e); });
}

void TZLayoutCommands::AddViewMenu(QMenuBar& bar) {
    QMenu& view = *bar.addMenu(Caption(u"\\Strings\\MenuBar\\View\\Title"));
    QAction* labels = Item(view, u"\\Strings\\MenuBar\\View\\Labels", [this] {
        showLabels_ = !showLabels_;
        for (QMdiSubWindow* window : area_.subWindowList())
            if (auto* frame = dynamic_cast<TZLayoutMDI*>(window); frame && frame->View())
                frame->View()->SetShowLabels(showLabels_);
    });
    labels->setCheckable(true);
    labels->setChecked(showLabels_);
}

void TZLayoutCommands::Open() {
    if (host_.IsLocked()) return;
    const QString chosen =
        QFileDialog::getOpenFileName(&window_, QString(), QString(), kLayoutFilter);
    if (!chosen.isEmpty()) layouts_.OpenLayout(KZKString(chosen));
}

void TZLayoutCommands::Save(bool askName) {
    TZLayoutMDI* frame = ActiveFrame();
    if (!frame || !frame->Layout() || host_.IsLocked()) return;
    TLayout& layout = *frame->Layout();
    const uint32_t flags = askName ? TLayout::kSave | TLayout::kAskName : TLayout::kSave;
    const int32_t code = layout.Save(flags);
    if (code == 0) {
        layout.ClearModified();
    } else if (code != kErrCancelled) {
        host_.Alerts().ShowError(code);  // it stays modified
    }
    frame->UpdateTitle();
}

void TZLayoutCommands::ResizeLayout(TZLayoutWindow& editor) {
    KSize old{0, 0};
    if (!editor.Layout().GetExtent(old)) return;  // nothing to rescale
    TZResizeDialog ask(host_.Settings(), old, &window_);
    if (ask.exec() == QDialog::Accepted) editor.RescaleLayout(old, ask.Chosen());
}

void TZLayoutCommands::Paste(TZLayoutWindow& editor) {
    if (!editor.Paste())
        window_.statusBar()->showMessage(KZQString(Text(u"\\Strings\\MenuBar\\Edit\\PasteRefused")),
                                         5000);
}
