#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "KErrors.h"
#include "KString.h"
#include "TLayoutJson.h"
#include "TReceiverSinks.h"

class KClock;
class KRegistry;
class TLayout;
class TLayoutDisplay;
class TLayoutScreen;
class TLayoutUi;
struct TTrigger;

// What the desktop's layout windows hear of the open layouts: a layout was
// opened (make its window), is closing (drop its window; the layout is
// destroyed after the call), is to come to the front (a second open of its
// file), and a layout file that could not be opened (the alert for the code,
// naming the file).
class TOpenLayoutsObserver {
  public:
    virtual ~TOpenLayoutsObserver() = default;
    virtual void LayoutOpened(TLayout& layout) = 0;
    virtual void LayoutClosing(TLayout& layout) = 0;
    virtual void BringToFront(TLayout& layout) = 0;
    virtual void LayoutAlert(int32_t code, const KString& path) = 0;
};

// The open layouts in window order: window 1 is the first opened still open,
// and a window's title is its file name without extension. Every open layout
// receives the packets of the sources, shown or not; the screen says which
// one is current, and only that one ticks and takes triggers. The list owns
// its layouts and attaches each to the display given. Tick counts come from
// the clock given, so that a virtual clock drives everything in tests and
// in the headless renderer. Without an observer nothing is told or alerted.
//
// At most kMaxWindows layouts are open: opening another one is refused with
// the general error 1000, alerted like a load error. Destroying the list
// destroys its layouts without a word to the screen, which by then must show
// none of them (or be gone itself).
class TOpenLayouts : public TPacketSink {
  public:
    static constexpr int32_t kMaxWindows = 100;
    // The display window's layout menu: command kFirstWindowCommand shows window 1.
    static constexpr int32_t kFirstWindowCommand = 10035;

    TOpenLayouts(KRegistry& settings, TLayoutScreen& screen, TLayoutDisplay* display,
                 const KClock& clock);
    ~TOpenLayouts() override;

    void SetObserver(TOpenLayoutsObserver* observer) { observer_ = observer; }
    // The desktop's busy cursor and file dialog for the layouts opened from
    // now on (null: none).
    void SetUi(TLayoutUi* ui) { ui_ = ui; }

    // Opens a layout file as the last window; 0 or the error code. A file
    // already open (path compared ignoring case) only comes to the front. A
    // file that fails to load is alerted and not opened. Layout\AutoResize
    // fits the layout to the screen's layout size: bit 0 while the layouts
    // are being restored at start-up, bit 1 otherwise. Opening does not make
    // the layout current: activating its window does.
    int32_t OpenLayout(const KString& path);
    // A new, empty, untitled layout as the last window; 0 or the error code.
    int32_t NewLayout();
    // A layout recovered from unsaved changes as the last window, modified:
    // named by path, untitled when path is empty, names no file or names a
    // layout open already; its contents from the document. 0 or the error
    // code (kErrFileContents for a document that is no layout).
    int32_t OpenRecovered(const KString& path, const TLayoutJson::Json& document);
    // Destroys an open layout; when it was current the screen shows none.
    // False when the layout is not open here.
    bool Close(TLayout* layout);

    // Offers a packet to every open layout in window order.
    void DeliverPacket(TFields& definition) override;
    // Offers a trigger to the objects of a layout (null: nothing) at the
    // clock's time.
    void FireTrigger(TLayout* layout, const TTrigger& trigger);
    // The current layout's objects tick at the clock's time; the time in
    // milliseconds at which one of them has something to do next.
    int64_t TickCurrent();
    // A command of the display window's layout menu: shows its window's
    // layout at once; false when the command names no open window.
    bool ShowWindowCommand(int32_t command);

    // Replaces the values of Layout\Open\ by the paths of the open layouts,
    // named 1, 2, ... in window order.
    // The layouts that could not be restored stay among them, at their
    // places, until they are open again.
    void MemorizeLayouts();
    // When Layout\RestoreOpen has bit 0: opens the values 1, 2, ... of
    // Layout\Open\ in order, up to the first number without a value or
    // kMaxWindows. A file that fails to open is alerted, logged and skipped.
    void RestoreLayouts();

    int32_t Count() const { return static_cast<int32_t>(layouts_.size()); }
    // The layout of window number (1..Count()), or null.
    TLayout* Window(int32_t number) const;
    // The first layout whose title equals this one, ignoring case, or null.
    TLayout* FindByTitle(const KString& title) const;
    // Appends the window title of a layout: its file name without extension.
    static void AppendTitle(const TLayout& layout, KString& out);

  private:
    TLayout* FindByPath(const KString& path) const;
    // Makes a layout the last window, shown by the display.
    void Adopt(std::unique_ptr<TLayout> layout);
    void Alert(int32_t code, const KString& path);
    int32_t Setting(const char16_t* path) const;

    KRegistry& settings_;
    TLayoutScreen& screen_;
    TLayoutDisplay* display_;
    const KClock& clock_;
    TOpenLayoutsObserver* observer_ = nullptr;
    TLayoutUi* ui_ = nullptr;
    // A memorised layout that failed to open at start-up, and its index
    // among the memorised ones.
    struct Unrestored {
        int32_t position;
        KString path;
    };

    std::vector<std::unique_ptr<TLayout>> layouts_;
    std::vector<Unrestored> unrestored_;
    bool restoring_ = false;
};
