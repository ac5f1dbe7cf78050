#include "TZMainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "KLog.h"
#include "KRValues.h"
#include "KZAlerts.h"
#include "KZDialogButtons.h"
#include "KZMenuAction.h"
#include "KZMenuText.h"
#include "KZRegistryDialog.h"
#include "KZText.h"
#include "TDisplayEngine.h"
#include "TLayout.h"
#include "TProgramHome.h"
#include "TZApplication.h"
#include "TZLayoutCommands.h"
#include "TZOptionsDialog.h"

namespace {

KRInt* Placement(KRegistry& settings, const char16_t* name) {
    KString path(63);
    path.Append(KString(u"\\General\\MainWindow\\")).Append(KString(name));
    return settings.FindInt(path);
}

}  // namespace

TZMainWindow::TZMainWindow(TZApplication& app) : app_(app), area_(new QMdiArea(this)) {
    setCentralWidget(area_);
    QString title = "Tessaron";
    if (!app.ProfileName().empty()) title += " <" + QString::fromStdString(app.ProfileName()) + ">";
    setWindowTitle(title);
    BuildMenus();
    connect(area_, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* window) { Activated(window); });
    app.Engine().Layouts().SetObserver(this);
    app.Engine().Layouts().SetUi(this);
}

TZMainWindow::~TZMainWindow() {
    // The document area outlives this part of the window: its last
    // activation signals must not reach it.
    disconnect(area_, nullptr, this, nullptr);
    app_.Engine().Layouts().SetObserver(nullptr);
    app_.Engine().Layouts().SetUi(nullptr);
}

void TZMainWindow::BuildMenus() {
    KRegistry& settings = Settings();
    const auto text = [&](const char16_t* path) { return settings.StringOf(KString(path)); };
    const auto title = [&](const char16_t* path) {
        KZMenuText caption(settings, text(path));
        return KZQString(caption.Caption());
    };
    fileMenu_ = menuBar()->addMenu(title(u"\\Strings\\MenuBar\\File\\Title"));
    commands_ = new TZLayoutCommands(*this, *this, app_.Engine(), *area_);
    commands_->AddMenus(*fileMenu_, *menuBar());
    lockable_ = commands_->Editing();
    QAction* profile =
        KZNewMenuAction(settings, text(u"\\Strings\\MenuBar\\File\\NewProfile"), fileMenu_);
    connect(profile, &QAction::triggered, this, [this] { NewProfile(); });
    lockable_.push_back(profile);
    QAction* options =
        KZNewMenuAction(settings, text(u"\\Strings\\MenuBar\\File\\Options"), fileMenu_);
    connect(options, &QAction::triggered, this, [this] { ShowOptions(); });
    lockable_.push_back(options);
    fileMenu_->addSeparator();
    connect(KZNewMenuAction(settings, text(u"\\Strings\\MenuBar\\File\\Exit"), fileMenu_),
            &QAction::triggered, this, [this] { close(); });
    if (app_.Lock().GetState() != TZUserLock::kNone) {
        QAction* lock =
            KZNewMenuAction(settings, text(u"\\Strings\\MenuBar\\File\\Lock"), fileMenu_);
        connect(lock, &QAction::triggered, this, [this] { app_.Lock().Lock(); });
        lockable_.push_back(lock);
    }
    windowMenu_ = menuBar()->addMenu(title(u"\\Strings\\MenuBar\\Window\\Title"));
    connect(windowMenu_, &QMenu::aboutToShow, this, [this] { FillWindowMenu(); });
    helpMenu_ = menuBar()->addMenu(title(u"\\Strings\\MenuBar\\Help\\Title"));
    QAction* about = KZNewMenuAction(settings, text(u"\\Strings\\MenuBar\\Help\\About"), helpMenu_);
    connect(about, &QAction::triggered, this, [this] { ShowAbout(); });
    lockable_.push_back(about);
    // While the program is locked, Options, Lock, About and the layout
    // commands are disabled; Exit and the windows refuse by themselves.
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToShow, this, [this] {
            for (QAction* action : lockable_) action->setEnabled(!IsLocked());
        });
    }
}

void TZMainWindow::FillWindowMenu() {
    windowMenu_->clear();
    KRegistry& settings = Settings();
    connect(KZNewMenuAction(settings,
                            settings.StringOf(KString(u"\\Strings\\MenuBar\\Window\\Cascade")),
                            windowMenu_),
            &QAction::triggered, area_, &QMdiArea::cascadeSubWindows);
    windowMenu_->addSeparator();
    int number = 1;
    for (QMdiSubWindow* window : LayoutWindows()) {
        QAction* item =
            windowMenu_->addAction(QString("&%1 %2").arg(number++).arg(window->windowTitle()));
        item->setCheckable(true);
        item->setChecked(window == area_->activeSubWindow());
        connect(item, &QAction::triggered, this,
                [this, window] { area_->setActiveSubWindow(window); });
    }
}

QList<QMdiSubWindow*> TZMainWindow::LayoutWindows() const {
    QList<QMdiSubWindow*> ordered;
    TOpenLayouts& layouts = app_.Engine().Layouts();
    for (int32_t n = 1; n <= layouts.Count(); ++n) {
        const auto found = windows_.find(layouts.Window(n));
        if (found != windows_.end()) ordered.push_back(found->second);
    }
    return ordered;
}

void TZMainWindow::ShowLayoutMenu(const QPoint& desktop) {
    QMenu menu;
    TOpenLayouts& layouts = app_.Engine().Layouts();
    for (int32_t n = 1; n <= layouts.Count(); ++n) {
        KString title(63, KString::kMaxLimit);
        TOpenLayouts::AppendTitle(*layouts.Window(n), title);
        QAction* item = menu.addAction(QString("&%1 %2").arg(n).arg(KZQString(title)));
        item->setData(TOpenLayouts::kFirstWindowCommand + n - 1);
        item->setEnabled(!IsLocked());
    }
    QAction* chosen = menu.exec(desktop);
    if (!chosen || !layouts.ShowWindowCommand(chosen->data().toInt())) return;
    // The window of the layout shown becomes the active one, so that a click
    // on another window switches the display again.
    if (TLayout* shown = app_.Engine().Window().CurrentLayout()) BringToFront(*shown);
}

void TZMainWindow::Activated(QMdiSubWindow* window) {
    auto* frame = dynamic_cast<TZLayoutMDI*>(window);
    if (!frame || !frame->Layout() || IsLocked()) return;
    app_.Engine().Window().ShowLayout(frame->Layout(), -1);
}

void TZMainWindow::LayoutOpened(TLayout& layout) {
    auto* frame = new TZLayoutMDI(layout, *this, app_.Engine().Window().LayoutSize());
    windows_[&layout] = frame;
    if (frame->View()) commands_->Attach(*frame->View());
    area_->addSubWindow(frame);
    frame->show();
    area_->setActiveSubWindow(frame);
}

void TZMainWindow::LayoutClosing(TLayout& layout) {
    const auto found = windows_.find(&layout);
    if (found == windows_.end()) return;
    TZLayoutMDI* frame = found->second;
    windows_.erase(found);
    frame->Detach();
    frame->close();
}

void TZMainWindow::BringToFront(TLayout& layout) {
    const auto found = windows_.find(&layout);
    if (found != windows_.end()) area_->setActiveSubWindow(found->second);
}

void TZMainWindow::LayoutAlert(int32_t code, const KString&) {
    QTimer::singleShot(0, this, [this, code] { Alerts().ShowError(code); });
}

// A name typed without an extension gets ".tly" before the dialog asks
// whether to replace the file.
bool TZMainWindow::AskSavePath(KString& path) {
    QFileDialog dialog(this, QString(), KZQString(path), "Layout (*.tly)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("tly");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path.Assign(KZKString(dialog.selectedFiles().front()));
    return true;
}

void TZMainWindow::SetBusy(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TZMainWindow::LogModifiedLayouts() {
    for (QMdiSubWindow* window : LayoutWindows()) {
        const TLayout* layout = static_cast<TZLayoutMDI*>(window)->Layout();
        if (!layout || !layout->IsModified()) continue;
        KString message(127, KString::kMaxLimit);
        message.Append(KString(u"TZMainWindow: the program ends without saving "))
            .Append(layout->Path())
            .Append(KString(u"; the file stays as it was"));
        KLog::WriteProgram(message);
    }
}

KRegistry& TZMainWindow::Settings() {
    return app_.Settings();
}

KZAlerts& TZMainWindow::Alerts() {
    return app_.Alerts();
}

bool TZMainWindow::IsLocked() const {
    return app_.Lock().IsLocked();
}

void TZMainWindow::CloseLayout(TLayout& layout) {
    app_.Engine().Layouts().Close(&layout);
}

bool TZMainWindow::AgreeToExit() {
    for (QMdiSubWindow* window : LayoutWindows()) {
        if (!static_cast<TZLayoutMDI*>(window)->AgreeToClose(true)) return false;
    }
    return true;
}

void TZMainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();  // the application decides, and ends its loop
    app_.Exit();
}

void TZMainWindow::RestorePlacement() {
    KRegistry& settings = Settings();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::max(600, screen.width() * 3 / 4), std::max(320, screen.height() * 3 / 5));
    move(10, 10);
    const KRInt* left = Placement(settings, u"Left");
    const KRInt* top = Placement(settings, u"Top");
    const KRInt* width = Placement(settings, u"Width");
    const KRInt* height = Placement(settings, u"Height");
    const KRInt* maximized = Placement(settings, u"Maximized");
    if (left && top && width && height && width->value >= 0 && height->value >= 0) {
        setGeometry(left->value, top->value, width->value, height->value);
        if (maximized && maximized->value != 0) setWindowState(Qt::WindowMaximized);
    } else {
        setWindowState(Qt::WindowMaximized);
    }
}

void TZMainWindow::StorePlacement() {
    KRegistry& settings = Settings();
    const bool isMaximized = windowState() & Qt::WindowMaximized;
    if (!isMaximized) {
        const QRect r = geometry();
        const std::pair<const char16_t*, int> values[] = {
            {u"Left", r.left()}, {u"Top", r.top()}, {u"Width", r.width()}, {u"Height", r.height()}};
        for (const auto& [name, value] : values) {
            if (KRInt* setting = Placement(settings, name)) setting->Set(value);
        }
    }
    if (KRInt* setting = Placement(settings, u"Maximized")) setting->Set(isMaximized ? 1 : 0);
}

void TZMainWindow::NewProfile() {
    if (IsLocked()) return;
    KRegistry& settings = Settings();
    constexpr const char16_t* kTexts = u"\\Strings\\Profile\\NewProfile\\";
    QDialog ask(this);
    ask.setWindowTitle(KZSettingText(settings, kTexts, u"Title"));
    auto* name = new QLineEdit;
    name->setObjectName("profileName");
    name->setMaxLength(static_cast<int>(kMaxProfileName));
    QDialogButtonBox* buttons = KZOkCancel(settings, ask);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    // Only a name that makes a new file may be confirmed.
    const auto check = [this, name, ok] {
        ok->setEnabled(app_.Configuration().CanCreateProfile(name->text().toStdString()));
    };
    connect(name, &QLineEdit::textChanged, &ask, check);
    check();
    auto* form = new QFormLayout(&ask);
    form->addRow(KZSettingText(settings, kTexts, u"Name"), name);
    form->addRow(buttons);
    if (ask.exec() != QDialog::Accepted) return;
    if (const int code = app_.Configuration().CreateProfile(name->text().toStdString()))
        Alerts().ShowError(code);
}

void TZMainWindow::ShowOptions() {
    // With Ctrl and Shift held: every setting of the tree instead.
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    if ((held & Qt::ControlModifier) && (held & Qt::ShiftModifier)) {
        KZRegistryDialog(Settings(), this).exec();
        app_.SaveSettings();  // its values were set as they were typed
        return;
    }
    TDisplayEngine& engine = app_.Engine();
    TZOptionsDialog dialog(
        TZOptionsTarget{Settings(), engine.Sources(), engine.Window(), app_.Home()}, this);
    if (dialog.exec() != QDialog::Accepted) return;
    app_.SaveSettings();
    if (!dialog.ProfileStored()) Alerts().ShowError(kErrConfigSave);
}

void TZMainWindow::ShowAbout() {
    KRegistry& settings = Settings();
    const QString text = KZQString(settings.StringOf(KString(u"\\Strings\\About\\Version"))) + " " +
                         TESSARON_VERSION + "\n" +
                         KZQString(settings.StringOf(KString(u"\\Strings\\About\\Released"))) +
                         " " + TESSARON_RELEASED;
    app_.Alerts().ShowMessage(settings.StringOf(KString(u"\\Strings\\About\\Title")),
                              KZKString(text));
}
