#include "TDisplayEngine.h"

#include <algorithm>

#include "KUtf8.h"
#include "TLayoutSettings.h"
#include "TSources.h"
#include "TTrigger.h"

TDisplayEngine::TDisplayEngine(KRegistry& settings, const std::string& home, K3DFonts& fonts,
                               KScreenSurface& surface, const KClock& clock,
                               std::vector<KRect> monitors, KLog* log)
    : settings_(settings),
      home_(home),
      clock_(clock),
      window_(settings, fonts, surface, clock, std::move(monitors), log),
      layouts_(settings, window_, &window_, clock),
      remote_(settings, layouts_, window_) {
    TLayoutSettings::Bind(&settings);
    KString folder(255, KString::kMaxLimit);
    KAppendUtf8(folder, home);
    TLayoutSettings::SetApplicationFolder(folder);
}

TDisplayEngine::~TDisplayEngine() {
    sources_.reset();
    // The layouts go before the window: it must not hold one of them.
    window_.SetListener(nullptr);
    window_.ShowLayout(nullptr, 0);
    TLayoutSettings::Bind(nullptr);
}

void TDisplayEngine::StartSources() {
    sources_ = std::make_unique<TSources>(settings_, home_, this, this);
}

bool TDisplayEngine::Request(const KString& command) {
    if (!request_.IsEmpty()) return false;
    request_.Assign(command);
    return true;
}

void TDisplayEngine::RunRequest() {
    // Taken first: opening may show an alert, whose own loop runs passes.
    KString request(request_);
    request_.Empty();
    KString name(15), path(63, KString::kMaxLimit);
    if (request.Field(name, 0, u',', 0) && name.Equals(KString(u"OpenLayout")) &&
        request.Field(path, 1) && !path.IsEmpty())
        layouts_.OpenLayout(path);
}

bool TDisplayEngine::Pass() {
    if (!request_.IsEmpty()) RunRequest();
    window_.Tick();
    const bool received = sources_ && sources_->Poll();
    const int64_t objects = layouts_.TickCurrent();
    // Asked after everything: a packet may have switched the layout or
    // fired a trigger.
    const int64_t pollIn = sources_ ? sources_->PollDueIn() : KClock::kNever;
    const int64_t poll = pollIn == KClock::kNever ? pollIn : clock_.Ms() + pollIn;
    nextDue_ = std::min({objects, window_.NextDue(), poll});
    return received;
}

int64_t TDisplayEngine::MsUntilDue() const {
    if (nextDue_ == KClock::kNever) return nextDue_;
    return std::max<int64_t>(nextDue_ - clock_.Ms(), 0);
}

void TDisplayEngine::KeyPress(int32_t functionKey, KChar character, uint32_t modifiers) {
    TTrigger trigger;
    trigger.action = TTrigger::kToggle;
    if (KeyTriggerName(functionKey, character, modifiers, trigger.name))
        layouts_.FireTrigger(window_.CurrentLayout(), trigger);
}

void TDisplayEngine::DeliverPacket(TFields& definition) {
    if (listener_) listener_->PacketDelivered(definition);
    layouts_.DeliverPacket(definition);
}

void TDisplayEngine::ExecuteRemote(const TReceiver& source, const KString& line) {
    if (listener_) listener_->RemoteLine(source, line);
    remote_.ExecuteRemote(source, line);
}
