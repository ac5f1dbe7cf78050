#pragma once

#include <QMainWindow>
#include <QMdiArea>
#include <map>
#include <vector>

#include "TLayoutUi.h"
#include "TOpenLayouts.h"
#include "TZLayoutMDI.h"

class QMenu;
class TZApplication;
class TZLayoutCommands;

// The main window: the layout windows in its document area and the menus
// File (the layout files, Options, Exit, Lock), Edit, Layout and View (the
// layout commands), Window (Cascade and the layout windows, numbered) and
// Help (About). Activating a layout window shows its layout on the display
// at once, unless the program is locked. It mirrors the open layouts: a
// layout opened gets a window, a layout closed loses it. A layout that
// cannot be opened is alerted from the loop, so the caller (start-up, a
// request) goes on. It shows the busy cursor while a layout loads or saves.
class TZMainWindow : public QMainWindow,
                     public TOpenLayoutsObserver,
                     public TZLayoutHost,
                     public TLayoutUi {
  public:
    explicit TZMainWindow(TZApplication& app);
    ~TZMainWindow() override;

    // Size and place from \General\MainWindow\ (Width or Height below 0:
    // maximized), and back.
    void RestorePlacement();
    void StorePlacement();
    // Asks every modified layout whether to save before the program exits;
    // false when one refuses.
    bool AgreeToExit();
    // Logs each modified layout: the program ends without saving it.
    void LogModifiedLayouts();
    // The layout windows in Window-menu order.
    QList<QMdiSubWindow*> LayoutWindows() const;
    // The layout menu of the display window: the open layouts, numbered.
    void ShowLayoutMenu(const QPoint& desktop);

    void LayoutOpened(TLayout& layout) override;
    void LayoutClosing(TLayout& layout) override;
    void BringToFront(TLayout& layout) override;
    void LayoutAlert(int32_t code, const KString& path) override;

    KRegistry& Settings() override;
    KZAlerts& Alerts() override;
    bool IsLocked() const override;
    void CloseLayout(TLayout& layout) override;

    bool AskSavePath(KString& path) override;
    void SetBusy(bool on) override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    void FillWindowMenu();
    void Activated(QMdiSubWindow* window);
    // The options dialog, or the settings editor with Ctrl and Shift held.
    void ShowOptions();
    // Asks for a name and writes the settings as that new profile.
    void NewProfile();
    void ShowAbout();

    TZApplication& app_;
    QMdiArea* area_;
    QMenu* fileMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    TZLayoutCommands* commands_ = nullptr;
    // What the lock disables: Options, Lock, About and the layout commands.
    std::vector<QAction*> lockable_;
    std::map<TLayout*, TZLayoutMDI*> windows_;
};
