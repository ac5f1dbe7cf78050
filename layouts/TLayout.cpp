#include "TLayout.h"

#include <algorithm>
#include <climits>

#include "KAtomicSave.h"
#include "KBufferedFile.h"
#include "KClock.h"
#include "KUtf8.h"
#include "KX.h"
#include "TLayoutDisplay.h"
#include "TLayoutJson.h"
#include "TLayoutObject.h"
#include "TLayoutSettings.h"
#include "TLayoutUi.h"
#include "TPrototypes.h"

namespace {

constexpr uint32_t kFirstVersion = 0x30003;
constexpr uint32_t kBackgroundVersion = 0x30004;

KString& LayoutFolder() {
    static KString folder(255, KFile::kMaxPath);
    return folder;
}

// Shows the busy cursor for as long as it lives.
class BusyCursor {
  public:
    explicit BusyCursor(TLayoutUi* ui) : ui_(ui) {
        if (ui_) ui_->SetBusy(true);
    }
    ~BusyCursor() {
        if (ui_) ui_->SetBusy(false);
    }

  private:
    TLayoutUi* ui_;
};

// Layouts are kept as .json text or, by any other name, as layout files.
bool IsJsonPath(const KString& path) {
    const int32_t n = path.Length();
    return n >= 5 && KString(path.Chars() + n - 5, 5).EqualsIgnoreCase(KString(u".json"));
}

bool InSide(int32_t side) {
    return side >= 1 && side <= TLayout::kMaxRescaleSide;
}

}  // namespace

TLayout::TLayout() : state_(new TLayoutState) {}

TLayout::~TLayout() = default;

void TLayout::SetLayoutFolder(const KString& folder) {
    LayoutFolder() = folder;
}

int32_t TLayout::New() {
    static int32_t counter = 0;
    if (!state_) return kErrNoMemory;
    KFile candidate;
    do {
        KString path(255, KFile::kMaxPath);
        path.Append(LayoutFolder());
        if (!path.IsEmpty()) path.AppendChar(u'/');
        path.Append(TLayoutSettings::Get(TLayoutSettings::kDefaultName));
        path.AppendChar(u' ').AppendInt(++counter).AppendNarrow(".tly");
        candidate.SetPath(path);
    } while (candidate.Exists());
    file_.SetPath(candidate.Path());
    untitled_ = true;
    return 0;
}

int32_t TLayout::Load(const KString& path, bool readContents) {
    if (!state_) return kErrNoMemory;
    BusyCursor busy(ui_);
    try {
        KBufferedFile file(path);
        file.Open(KFile::kRead | KFile::kRegularOnly, false);
        if (readContents && IsJsonPath(path)) {
            TLayoutJson::ReadFile(file, *this);
        } else if (readContents) {
            Read(file);
        }
        file.Close();
    } catch (const KX& e) {
        return e.Code();
    }
    file_.SetPath(path);
    untitled_ = false;
    return 0;
}

int32_t TLayout::Save(uint32_t flags) {
    if (!(flags & kSave)) return 0;
    KFile target(file_.Path());
    if (untitled_ || (flags & kAskName)) {
        KString path(255, KFile::kMaxPath);
        path.Append(file_.Path());
        // A chosen name that the layout extension turns into another file's
        // is asked for again, with that name, so that the question about
        // replacing the file is asked of the name really written.
        for (;;) {
            if (!ui_ || !ui_->AskSavePath(path)) return kErrCancelled;
            target.SetPath(path);
            if (!IsJsonPath(path)) target.SetExtension(u"tly");
            if (target.Path().Equals(path) || !target.Exists()) break;
            path.Assign(target.Path());
        }
        KString folder(255, KFile::kMaxPath);
        target.GetDirectory(folder);
        SetLayoutFolder(folder);
    }
    BusyCursor busy(ui_);
    try {
        const bool json = IsJsonPath(target.Path());
        KSaveAtomically(target.Path(), [this, json](KStream& stream) {
            if (!json) return Write(stream);
            const std::string text = TLayoutJson::ToText(*this);
            stream.Write(text.data(), static_cast<int32_t>(text.size()));
        });
    } catch (const KX& e) {
        return e.Code();
    }
    file_.SetPath(target.Path());
    untitled_ = false;
    return 0;
}

void TLayout::Write(KStream& stream) const {
    stream.PutInt32(kVersion);
    stream.PutInt32(LastId());
    stream.PutInt32(reserved_);
    state_->objects.WriteList(stream, true);
    KWriteColor(stream, state_->background);
    stream.PutInt32(state_->sourceMode);
    stream.PutInt32(static_cast<int32_t>(state_->sourceMask));
}

void TLayout::Read(KStream& stream) {
    const uint32_t version = stream.GetUInt32();
    if (version < kFirstVersion || version > kVersion) throw KXPersistent(kErrFileVersion);
    fileVersion_ = version;
    SetLastId(stream.GetInt32());
    reserved_ = stream.GetInt32();
    // An object joins the list before it reads its record, as it reads
    // through its layout (a bitmap finds its picture on reading).
    const auto make = [this](const KString& className) {
        const TLayoutObject* prototype = TPrototypes::Find(className);
        if (!prototype) throw KXPersistent(kErrFileContents);
        return prototype->Clone(this, -1);
    };
    state_->objects.ReadList(stream, make, true);
    if (version == kFirstVersion) return;
    state_->background = KReadColor(stream);
    if (version == kBackgroundVersion) return;
    state_->sourceMode = stream.GetInt32();
    state_->sourceMask = stream.GetUInt32();
}

std::unique_ptr<TLayoutState> TLayout::Snapshot() {
    std::unique_ptr<TLayoutState> copy(new TLayoutState);
    copy->background = state_->background;
    copy->sourceMode = state_->sourceMode;
    copy->sourceMask = state_->sourceMask;
    for (const TLayoutObject& o : Objects()) copy->objects.Add(o.Clone(this, o.Id()));
    return copy;
}

std::unique_ptr<TLayoutState> TLayout::SwapState(std::unique_ptr<TLayoutState> state) {
    BusyCursor busy(ui_);
    Send(TLayoutObject::kMessageBeforeSwap);
    state_.swap(state);
    Send(TLayoutObject::kMessageAfterSwap);
    return state;
}

bool TLayout::SetBackground(KColor colour) {
    if (colour == state_->background) return false;
    state_->background = colour;
    Send(TLayoutObject::kMessageLayout);
    return true;
}

bool TLayout::SetSourceMode(int32_t mode) {
    if (mode == state_->sourceMode) return false;
    state_->sourceMode = mode;
    Send(TLayoutObject::kMessageLayout);
    return true;
}

bool TLayout::IsSourceSelected(int32_t index) const {
    return index >= 0 && index < 32 && (state_->sourceMask >> index & 1);
}

bool TLayout::SelectSource(int32_t index, bool on) {
    if (index < 0 || index >= 32 || IsSourceSelected(index) == on) return false;
    state_->sourceMask ^= uint32_t{1} << index;
    Send(TLayoutObject::kMessageLayout);
    return true;
}

TLayoutObject* TLayout::AddObject(int32_t prototypeIndex) {
    const TLayoutObject* prototype = TPrototypes::At(prototypeIndex);
    return prototype ? AddObjectFrom(*prototype) : nullptr;
}

TLayoutObject* TLayout::AddObjectFrom(const TLayoutObject& prototype) {
    std::unique_ptr<TLayoutObject> object = prototype.Clone(this, NewId());
    TLayoutObject* added = object.get();
    state_->objects.Add(std::move(object));
    Send(TLayoutObject::kMessageLayout);
    return added;
}

bool TLayout::RemoveObject(TLayoutObject* object) {
    if (!object || object->Owner() != &state_->objects) return false;
    state_->objects.Delete(object);
    Send(TLayoutObject::kMessageLayout);
    return true;
}

bool TLayout::MoveToBack(TLayoutObject* object) {
    KListOf<TLayoutObject>& list = state_->objects;
    if (!object || object->Owner() != &list || list.Head() == object) return false;
    list.InsertAt(list.Remove(object), 0);
    Send(TLayoutObject::kMessageLayout);
    return true;
}

bool TLayout::MoveToFront(TLayoutObject* object) {
    KListOf<TLayoutObject>& list = state_->objects;
    if (!object || object->Owner() != &list || list.Tail() == object) return false;
    list.Add(list.Remove(object));
    Send(TLayoutObject::kMessageLayout);
    return true;
}

bool TLayout::MoveOneStep(TLayoutObject* object, bool forward) {
    KListOf<TLayoutObject>& list = state_->objects;
    if (!object || object->Owner() != &list) return false;
    TLayoutObject* other = forward ? list.Next(*object) : list.Prev(*object);
    if (!other) return false;
    std::unique_ptr<TLayoutObject> moved = list.Remove(object);
    if (forward) {
        list.InsertAfter(std::move(moved), other);
    } else {
        list.InsertBefore(std::move(moved), other);
    }
    Send(TLayoutObject::kMessageLayout);
    return true;
}

TLayoutObject* TLayout::FindById(int32_t id) const {
    for (TLayoutObject& o : Objects()) {
        if (TLayoutObject* found = o.FindById(id)) return found;
    }
    return nullptr;
}

bool TLayout::GetBounds(KRect& bounds) const {
    KRect b{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (const TLayoutObject& o : Objects()) {
        const KRect r = o.Rect();
        if (r.right < 0 || r.bottom < 0) continue;
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    if (b.left == INT_MAX || b.top == INT_MAX || b.right < 0 || b.bottom < 0) return false;
    b.left = std::max(b.left, 0);
    b.top = std::max(b.top, 0);
    bounds = b;
    return b.right >= b.left && b.bottom >= b.top;
}

bool TLayout::GetExtent(KSize& extent) const {
    KRect b;
    if (!GetBounds(b)) return false;
    // The left and top margins come back at the right and bottom; in 64 bits,
    // as a hostile file may place objects near the end of the range.
    const int64_t width = int64_t{b.right} + b.left + 1;
    const int64_t height = int64_t{b.bottom} + b.top + 1;
    extent.width = static_cast<int32_t>(std::min<int64_t>(width, INT_MAX));
    extent.height = static_cast<int32_t>(std::min<int64_t>(height, INT_MAX));
    return true;
}

bool TLayout::Rescale(KSize from, KSize to) {
    if (!InSide(from.width) || !InSide(from.height) || !InSide(to.width) || !InSide(to.height))
        return false;
    for (TLayoutObject& o : Objects()) o.Rescale(from, to);
    return true;
}

bool TLayout::AutoResize(KSize display) {
    KSize extent;
    return GetExtent(extent) && Rescale(extent, display);
}

int64_t TLayout::TickObjects(int64_t now) {
    int64_t due = KClock::kNever;
    for (TLayoutObject& o : Objects()) {
        o.Tick(now);
        due = std::min(due, o.NextDue(now));
    }
    return due;
}

void TLayout::ClearValues() {
    for (TLayoutObject& o : Objects()) o.ClearValue();
}

void TLayout::Trigger(const TTrigger& trigger, int64_t now) {
    for (TLayoutObject& o : Objects()) o.Trigger(trigger, now);
}

void TLayout::OnPacket(const TFields& packet) {
    for (TLayoutObject& o : Objects()) o.OnPacket(packet);
}

void TLayout::DrawRect(const KRect& rect) {
    if (!display_) return;
    for (TLayoutObject& o : Objects()) {
        if (o.Rect().Intersects(rect)) display_->DrawObject(o);
    }
}

void TLayout::Notify(const KMessage& message) {
    if (message.code == 0) return;
    modified_ = true;
    changedSinceSnapshot_ = true;
    for (TLayoutObject& o : Objects()) o.Notify(message);
    if (display_) display_->RedrawLayout(*this);
    if (watcher_) watcher_->LayoutChanged();
}
