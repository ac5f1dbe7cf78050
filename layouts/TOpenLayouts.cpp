#include "TOpenLayouts.h"

#include <algorithm>

#include "KClock.h"
#include "KFile.h"
#include "KLog.h"
#include "KRValues.h"
#include "KRegistry.h"
#include "TLayout.h"
#include "TLayoutScreen.h"
#include "TTrigger.h"

namespace {

constexpr const char16_t* kOpenGroup = u"\\Layout\\Open\\";

// The memorised path named by a window number, or null.
const KRString* MemorisedPath(const KRGroup& group, int32_t number) {
    KString15 name;
    name.AppendInt(number);
    for (const KRNode& node : group.children) {
        const auto* value = dynamic_cast<const KRString*>(&node);
        if (value && value->name.Equals(name)) return value;
    }
    return nullptr;
}

}  // namespace

TOpenLayouts::TOpenLayouts(KRegistry& settings, TLayoutScreen& screen, TLayoutDisplay* display,
                           const KClock& clock)
    : settings_(settings), screen_(screen), display_(display), clock_(clock) {}

TOpenLayouts::~TOpenLayouts() = default;

int32_t TOpenLayouts::OpenLayout(const KString& path) {
    if (TLayout* open = FindByPath(path)) {
        if (observer_) observer_->BringToFront(*open);
        return 0;
    }
    if (Count() >= kMaxWindows) {
        Alert(kErrOperationFailed, path);
        return kErrOperationFailed;
    }
    auto layout = std::make_unique<TLayout>();
    layout->SetUi(ui_);
    if (const int32_t code = layout->Load(path, true)) {
        Alert(code, path);
        return code;
    }
    const int32_t resizeBit = restoring_ ? 1 : 2;
    if (Setting(u"\\Layout\\AutoResize") & resizeBit) layout->AutoResize(screen_.LayoutSize());
    layout->ClearModified();
    Adopt(std::move(layout));
    return 0;
}

int32_t TOpenLayouts::NewLayout() {
    if (Count() >= kMaxWindows) {
        Alert(kErrOperationFailed, KString());
        return kErrOperationFailed;
    }
    auto layout = std::make_unique<TLayout>();
    layout->SetUi(ui_);
    if (const int32_t code = layout->New()) return code;
    Adopt(std::move(layout));
    return 0;
}

int32_t TOpenLayouts::OpenRecovered(const KString& path, const TLayoutJson::Json& document) {
    if (Count() >= kMaxWindows) return kErrOperationFailed;
    auto layout = std::make_unique<TLayout>();
    layout->SetUi(ui_);
    if (path.IsEmpty() || FindByPath(path) || layout->Load(path, false) != 0) {
        if (const int32_t code = layout->New()) return code;
    }
    try {
        TLayoutJson::FromJson(document, *layout);
    } catch (const TLayoutJsonError&) {
        return kErrFileContents;
    } catch (const TLayoutJson::Json::exception&) {
        return kErrFileContents;
    }
    layout->MarkModified();
    Adopt(std::move(layout));
    return 0;
}

void TOpenLayouts::Adopt(std::unique_ptr<TLayout> layout) {
    layout->SetDisplay(display_);
    layouts_.push_back(std::move(layout));
    if (observer_) observer_->LayoutOpened(*layouts_.back());
}

bool TOpenLayouts::Close(TLayout* layout) {
    for (auto it = layouts_.begin(); it != layouts_.end(); ++it) {
        if (it->get() != layout) continue;
        if (observer_) observer_->LayoutClosing(*layout);
        // The screen lets go of the layout before it is destroyed.
        if (screen_.CurrentLayout() == layout) screen_.ShowLayout(nullptr, -1);
        layouts_.erase(it);
        return true;
    }
    return false;
}

void TOpenLayouts::DeliverPacket(TFields& definition) {
    for (const auto& layout : layouts_) layout->OnPacket(definition);
}

void TOpenLayouts::FireTrigger(TLayout* layout, const TTrigger& trigger) {
    if (layout) layout->Trigger(trigger, clock_.Ms());
}

int64_t TOpenLayouts::TickCurrent() {
    TLayout* current = screen_.CurrentLayout();
    return current ? current->TickObjects(clock_.Ms()) : KClock::kNever;
}

bool TOpenLayouts::ShowWindowCommand(int32_t command) {
    if (command < kFirstWindowCommand || command >= kFirstWindowCommand + kMaxWindows) return false;
    TLayout* layout = Window(command - kFirstWindowCommand + 1);
    if (!layout) return false;
    screen_.ShowLayout(layout, -1);
    return true;
}

void TOpenLayouts::MemorizeLayouts() {
    KRGroup* group = settings_.FindGroup(KString(kOpenGroup));
    if (!group) return;
    std::vector<const KString*> paths;
    // A layout never saved has no file to open again; the recovery file
    // keeps its changes.
    for (const auto& layout : layouts_)
        if (!layout->IsUntitled()) paths.push_back(&layout->Path());
    // A layout that could not be restored keeps its place, so that it opens
    // again once its file is there (a drive mounted late).
    for (const Unrestored& missing : unrestored_) {
        if (FindByPath(missing.path)) continue;
        const size_t at = std::min(static_cast<size_t>(missing.position), paths.size());
        paths.insert(paths.begin() + static_cast<std::ptrdiff_t>(at), &missing.path);
    }
    std::vector<std::unique_ptr<KRString>> values;
    for (size_t i = 0; i < paths.size() && i < kMaxWindows; ++i) {
        values.push_back(std::make_unique<KRString>());
        values.back()->name.AppendInt(static_cast<int32_t>(i) + 1);
        values.back()->value.Assign(*paths[i]);
    }
    group->children.Clear();
    for (auto& value : values) group->AddChild(std::move(value));
}

void TOpenLayouts::RestoreLayouts() {
    if (!(Setting(u"\\Layout\\RestoreOpen") & 1)) return;
    const KRGroup* group = settings_.FindGroup(KString(kOpenGroup));
    if (!group) return;
    restoring_ = true;
    for (int32_t number = 1; number <= kMaxWindows; ++number) {
        const KRString* path = MemorisedPath(*group, number);
        if (!path) break;
        const int32_t code = OpenLayout(path->value);
        if (code == 0) continue;
        unrestored_.push_back({number - 1, path->value});
        KString message(127, KString::kMaxLimit);
        message.Append(KString(u"TOpenLayouts::RestoreLayouts: error "))
            .AppendInt(code)
            .Append(KString(u" opening "))
            .Append(path->value)
            .Append(KString(u"; it stays memorised"));
        KLog::WriteProgram(message, u'E');
    }
    restoring_ = false;
}

TLayout* TOpenLayouts::Window(int32_t number) const {
    if (number < 1 || number > Count()) return nullptr;
    return layouts_[number - 1].get();
}

TLayout* TOpenLayouts::FindByTitle(const KString& title) const {
    KString255 candidate;
    for (const auto& layout : layouts_) {
        candidate.Empty();
        AppendTitle(*layout, candidate);
        if (candidate.EqualsIgnoreCase(title)) return layout.get();
    }
    return nullptr;
}

void TOpenLayouts::AppendTitle(const TLayout& layout, KString& out) {
    KFile(layout.Path()).GetName(out, false);
}

TLayout* TOpenLayouts::FindByPath(const KString& path) const {
    for (const auto& layout : layouts_) {
        if (layout->Path().EqualsIgnoreCase(path)) return layout.get();
    }
    return nullptr;
}

void TOpenLayouts::Alert(int32_t code, const KString& path) {
    if (observer_) observer_->LayoutAlert(code, path);
}

int32_t TOpenLayouts::Setting(const char16_t* path) const {
    const KRInt* value = settings_.FindInt(KString(path));
    return value ? value->value : 0;
}
