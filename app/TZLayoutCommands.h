#pragma once

#include <QObject>
#include <functional>
#include <vector>

class KString;
class QAction;
class QMdiArea;
class QMainWindow;
class QMenu;
class QMenuBar;
class TDisplayEngine;
class TOpenLayouts;
class TZLayoutHost;
class TZLayoutMDI;
class TZLayoutWindow;

// The menu items that make and edit layouts, with the default table's texts
// and accelerators: File's New, Open, Close window, Save, Save as and
// Memorize layouts; the Edit, Layout and View menus. Items that edit act on
// the active layout window and do nothing without one; a refused paste says
// why in the status bar.
class TZLayoutCommands : public QObject {
  public:
    TZLayoutCommands(QMainWindow& window, TZLayoutHost& host, TDisplayEngine& engine,
                     QMdiArea& area);

    // Adds the file items at the end of file, then the other menus to bar.
    void AddMenus(QMenu& file, QMenuBar& bar);
    // The items that change a layout, for the program's lock to disable.
    const std::vector<QAction*>& Editing() const { return editing_; }
    // A new layout window: Return and a double click edit its objects.
    void Attach(TZLayoutWindow& editor);
    // The properties of the selected objects, of the layout, in a dialog;
    // one undo step when confirmed, nothing when cancelled.
    void EditObjects(TZLayoutWindow& editor);
    void EditLayout(TZLayoutWindow& editor);

  private:
    TZLayoutMDI* ActiveFrame() const;
    QAction* Item(QMenu& menu, const char16_t* path, std::function<void()> run);
    // An item acting on the active layout window; it changes a layout.
    QAction* EditItem(QMenu& menu, const char16_t* path, std::function<void(TZLayoutWindow&)> run);
    QString Caption(const char16_t* path) const;
    const KString& Text(const char16_t* path) const;

    void AddEditMenu(QMenuBar& bar);
    void AddLayoutMenu(QMenuBar& bar);
    void AddViewMenu(QMenuBar& bar);
    void Open();
    void Save(bool askName);
    void Paste(TZLayoutWindow& editor);
    // Asks for the layout's new size and rescales it to that.
    void ResizeLayout(TZLayoutWindow& editor);

    QMainWindow& window_;
    TZLayoutHost& host_;
    TDisplayEngine& engine_;
    TOpenLayouts& layouts_;
    QMdiArea& area_;
    std::vector<QAction*> editing_;
    bool showLabels_ = false;
};
