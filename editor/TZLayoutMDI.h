#pragma once

#include <QMdiSubWindow>
#include <cstdint>

#include "KPoint.h"

class KRegistry;
class KZAlerts;
class TLayout;
class TZLayoutWindow;

// What a layout window asks of the program around it.
class TZLayoutHost {
  public:
    virtual ~TZLayoutHost() = default;
    virtual KRegistry& Settings() = 0;
    virtual KZAlerts& Alerts() = 0;
    // While the program is locked no layout window closes.
    virtual bool IsLocked() const = 0;
    // The window agreed to close: the layout goes.
    virtual void CloseLayout(TLayout& layout) = 0;
};

// The document window of an open layout: its objects at the scale of
// Layout\ScaleNumer / Layout\ScaleDenom, titled with the layout's file name
// without extension, asking before a modified layout is closed.
class TZLayoutMDI : public QMdiSubWindow {
  public:
    // display: the size the layout is shown at, which sizes the window.
    TZLayoutMDI(TLayout& layout, TZLayoutHost& host, KSize display);

    TLayout* Layout() const { return layout_; }
    // The editor inside; null once the layout is gone.
    TZLayoutWindow* View() const { return view_; }
    // The layout's title, with a * while it is modified.
    void UpdateTitle();
    // Forgets the layout, which is about to be destroyed.
    void Detach();
    // Asks whether to save a modified layout (with the exit texts when the
    // program exits); saves when told to. True when the window may close.
    bool AgreeToClose(bool exiting);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    TLayout* layout_;
    TZLayoutHost& host_;
    TZLayoutWindow* view_;
};
