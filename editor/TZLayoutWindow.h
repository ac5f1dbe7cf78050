#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "KPoint.h"
#include "TLayoutDisplay.h"
#include "TSnapper.h"
#include "TUndoHistory.h"

class KRegistry;
class TLayout;
class TLayoutObject;
class TLayoutPicture;

// The editor of one layout: the layout drawn as the board draws it, at the
// editor's scale, with each object's frame over it, the grips of the
// selected objects, and the label and info line of each object that draws
// nothing now (of every object with Show labels on). Objects are selected by click, Ctrl+click,
// a rubber band and the keyboard, moved and sized by mouse (snapping to the
// grid and to other objects, Alt for none) and by the arrow keys. Every edit
// is one undo step; choosing objects is none. While `editable` says no,
// nothing changes, not even the selection, which the layout saves.
class TZLayoutWindow : public QWidget, public TLayoutWatcher {
  public:
    static constexpr int32_t kGrip = 7;
    // How near, in window pixels, a dragged line is drawn to another.
    static constexpr int32_t kReach = 6;

    TZLayoutWindow(TLayout& layout, KRegistry& settings, int32_t numer, int32_t denom,
                   QWidget* parent);
    ~TZLayoutWindow() override;

    // Layout coordinates to window pixels and back, each coordinate
    // separately, truncating toward zero.
    KRect ToWindow(const KRect& rect) const;
    int32_t ToWindow(int32_t v) const;
    int32_t ToLayout(int32_t v) const;
    TLayout& Layout() const { return layout_; }

    // Asked before every edit; by default everything may be edited.
    void SetEditable(std::function<bool()> editable) { editable_ = std::move(editable); }
    // Called after every change of the layout (an edit, a value, a selection).
    void SetChanged(std::function<void()> changed) { changed_ = std::move(changed); }
    void SetShowLabels(bool on);
    bool ShowsLabels() const { return showLabels_; }

    void SelectAll();
    void SelectNone();
    void InvertSelection();
    // Selects only the object after (before) the first selected one in
    // drawing order, the backmost after none.
    void SelectNext(bool backwards);
    void MoveSelection(int32_t dx, int32_t dy);
    void DeleteSelection();
    // A new object of a class's defaults, in front, the only one selected.
    void AddObject(int32_t prototypeIndex);
    // The selected objects to the clipboard as layout JSON; false with none.
    bool Copy();
    void Cut();
    // Adds the clipboard's objects with new ids, in front, as the selection;
    // false, changing nothing, when it holds no layout objects.
    bool Paste();
    // The selected objects to the front or back: all the way or one step,
    // as Layout\ZOrderChange says (bit 0 front, bit 1 back: all the way).
    void MoveToFront();
    void MoveToBack();
    // Lines the selection up on the first selected object: vertical, on its
    // left edge (one above the other); horizontal, on its top edge.
    void Align(bool vertical);
    // Rescales the whole layout from one size to another; false for a size
    // out of range.
    bool RescaleLayout(KSize from, KSize to);
    bool Undo();
    bool Redo();
    // Runs an edit that changes the layout as it goes (a dialog) as one
    // undo step; when it answers false, the layout goes back as it was and
    // no step is kept. Nothing runs while the layout may not be edited.
    void EditInStep(const std::function<bool()>& edit);
    std::vector<TLayoutObject*> Selection() const;
    // Asked on a double click on an object, which is then the selection.
    void SetOpenObjects(std::function<void()> open) { openObjects_ = std::move(open); }
    // The lines the drag in progress snapped to.
    const std::vector<TSnapper::Guide>& Guides() const { return guides_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab select objects instead of moving the focus.
    bool focusNextPrevChild(bool) override { return false; }

  private:
    enum class Drag { kNone, kMove, kResize, kBand };
    struct Held {
        TLayoutObject* object;
        KRect from;
    };

    void LayoutChanged() override;
    void ObjectRedrawn(const KRect& rect) override;
    // Starts an undo step, as deep as Layout\\UndoLevels allows.
    void Begin();
    void MoveSelectionInOrder(bool forward, bool allTheWay);
    // Whether the layout may be edited now. A mouse drag still held ends
    // first, as one undo step: an edit from a key or a menu may remove what
    // it holds, and a modal window may have taken its button's release.
    bool ReadyToEdit();
    KSize LayoutSize() const;
    KSize Grid() const;
    // The front-most object under a window point, or null.
    TLayoutObject* ObjectAt(QPoint point) const;
    // The grip of a selected object under a window point (0 .. 7 clockwise
    // from the top left), or -1.
    int32_t GripAt(QPoint point, TLayoutObject** object) const;
    std::vector<QRect> Grips(const TLayoutObject& object) const;
    bool KeyCommand(QKeyEvent* event);

    void StartDrag(QMouseEvent* event);
    void EndDrag();
    void DragTo(QPoint point, bool snap);
    void MoveHeld(int32_t dx, int32_t dy, bool snap);
    void ResizeHeld(int32_t dx, int32_t dy, bool snap);
    void SelectInBand(bool add);
    static void Place(TLayoutObject& object, const KRect& rect);

    void PaintPicture(QPainter& painter);
    void PaintFrame(QPainter& painter, TLayoutObject& object);
    void PaintLabel(QPainter& painter, const TLayoutObject& object, const QRect& box);

    TLayout& layout_;
    KRegistry& settings_;
    int32_t numer_;
    int32_t denom_;
    std::function<bool()> editable_;
    std::function<void()> changed_;
    std::function<void()> openObjects_;
    TUndoHistory history_;
    std::unique_ptr<TLayoutPicture> picture_;
    // The whole picture, or only this part of it, waits to be composed.
    bool pictureStale_ = true;
    KRect staleArea_;
    bool showLabels_ = false;

    Drag drag_ = Drag::kNone;
    QPoint pressed_;
    QPoint band_;
    int32_t grip_ = -1;
    std::vector<Held> held_;
    std::vector<TSnapper::Guide> guides_;
};
