#pragma once

#include <cstdint>
#include <memory>

#include "KErrors.h"
#include "KFile.h"
#include "KMessageObject.h"
#include "KPoint.h"
#include "TLayoutState.h"

class TFields;
class TLayoutDisplay;
class TLayoutWatcher;
class TLayoutObject;
class TLayoutUi;
struct TTrigger;

// One page of the display: a state (background, source rule, objects) that
// is saved as a layout file, and the file it belongs to. The layout is the
// root of its objects' change messages: every message marks it modified and
// changed since the last snapshot, then goes to each object in list order.
//
// Layout files are records of little-endian 32-bit values and strings: the
// version (written 0x00030005, read back to 0x00030003), the id counter, a
// reserved value, the object list with class names, then the background and
// the source rule as far as the version has them. Reading fills what an
// older version lacks with the defaults and fails with the codes of KX: 3004
// for a file that ends inside a record, 3009 for a version or tag out of
// range, 3010 for a class name no prototype has.
class TLayout : public KMessageObject {
  public:
    static constexpr uint32_t kVersion = 0x30005;
    enum : uint32_t { kSave = 1, kAskName = 2 };
    static constexpr int32_t kMaxRescaleSide = 16384;

    TLayout();
    ~TLayout() override;

    // Gives the layout a generated name in the layout folder ("Untitled 1",
    // ...) that no file has yet; marks it untitled.
    int32_t New();
    // Reads the layout file (when readContents) and takes its path; 0 or the
    // error code. A failed read leaves what was read so far.
    int32_t Load(const KString& path, bool readContents);
    // With kSave, writes the layout to its file (asking for a name when
    // untitled or with kAskName); 0, 1004 when no name was chosen, or the
    // error code. A new file replaces the old one only once it is complete,
    // so a failed save leaves the old layout as it was.
    int32_t Save(uint32_t flags);
    void Write(KStream& stream) const;
    void Read(KStream& stream);

    // A copy of the state whose objects keep their ids; not attached.
    std::unique_ptr<TLayoutState> Snapshot();
    // Makes the state current (messages 2 before, 3 after) and returns the
    // previous one.
    std::unique_ptr<TLayoutState> SwapState(std::unique_ptr<TLayoutState> state);

    bool SetBackground(KColor colour);
    bool SetSourceMode(int32_t mode);
    bool IsSourceSelected(int32_t index) const;
    bool SelectSource(int32_t index, bool on);

    // A clone of the prototype, with a new id, at the front; null when there
    // is no such prototype.
    TLayoutObject* AddObject(int32_t prototypeIndex);
    TLayoutObject* AddObjectFrom(const TLayoutObject& prototype);
    bool RemoveObject(TLayoutObject* object);
    // The objects in drawing order, the backmost first.
    KItemRange<TLayoutObject> Objects() const { return state_->objects.Items(); }
    bool MoveToBack(TLayoutObject* object);
    bool MoveToFront(TLayoutObject* object);
    // Swaps the object with the one after it (forward) or before it.
    bool MoveOneStep(TLayoutObject* object, bool forward);
    TLayoutObject* FindById(int32_t id) const;

    // The rectangle that holds every object not wholly left of or above the
    // origin, its left and top raised to 0; false when there is none.
    bool GetBounds(KRect& bounds) const;
    // The bounds' size with the left and top margins repeated at the right
    // and bottom.
    bool GetExtent(KSize& extent) const;
    // Scales every object; nothing happens unless each side lies in 1..16384.
    bool Rescale(KSize from, KSize to);
    // Rescales from the layout's extent to the display's size.
    bool AutoResize(KSize display);

    // Ticks every object; the earliest tick count at which one has
    // something to do next (KClock::kNever: none).
    int64_t TickObjects(int64_t now);
    void ClearValues();
    void Trigger(const TTrigger& trigger, int64_t now);
    void OnPacket(const TFields& packet);
    // Has the display draw every object that meets the rectangle, back to front.
    void DrawRect(const KRect& rect);

    void Notify(const KMessage& message) override;

    const TLayoutState& State() const { return *state_; }
    int32_t LastId() const { return KMessageObject::LastId(); }
    void SetLastId(int32_t id) { KMessageObject::SetLastId(id); }
    // The version of the file last read; the writer's for a layout not read.
    uint32_t FileVersion() const { return fileVersion_; }
    int32_t Reserved() const { return reserved_; }
    void SetReserved(int32_t reserved) { reserved_ = reserved; }
    const KString& Path() const { return file_.Path(); }
    bool IsUntitled() const { return untitled_; }
    bool IsModified() const { return modified_; }
    void ClearModified() { modified_ = false; }
    void MarkModified() { modified_ = true; }
    bool ChangedSinceSnapshot() const { return changedSinceSnapshot_; }
    void ClearChangedSinceSnapshot() { changedSinceSnapshot_ = false; }
    TLayoutDisplay* Display() const { return display_; }
    void SetDisplay(TLayoutDisplay* display) { display_ = display; }
    TLayoutWatcher* Watcher() const { return watcher_; }
    void SetWatcher(TLayoutWatcher* watcher) { watcher_ = watcher; }
    void SetUi(TLayoutUi* ui) { ui_ = ui; }

    // The folder of the layout last opened or saved, where New names layouts.
    static void SetLayoutFolder(const KString& folder);

  private:
    friend class TLayoutJson;

    uint32_t fileVersion_ = kVersion;
    int32_t reserved_ = 0;
    std::unique_ptr<TLayoutState> state_;
    KFile file_;
    bool untitled_ = false;
    bool modified_ = false;
    bool changedSinceSnapshot_ = false;
    TLayoutDisplay* display_ = nullptr;
    TLayoutWatcher* watcher_ = nullptr;
    TLayoutUi* ui_ = nullptr;
};
