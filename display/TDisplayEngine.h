#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KClock.h"
#include "KString.h"
#include "TOpenLayouts.h"
#include "TReceiverSinks.h"
#include "TRemoteCommands.h"
#include "TZDisplayWindow.h"

class TSources;

// Hears the packets and remote command lines of the sources as the engine
// hands them on, for tools that report them.
class TDisplayEngineListener {
  public:
    virtual ~TDisplayEngineListener() = default;
    virtual void PacketDelivered(const TFields& definition) = 0;
    virtual void RemoteLine(const TReceiver& source, const KString& line) = 0;
};

// Everything that turns a received byte into pixels, without the toolkit:
// the display window on its surface, the open layouts, the remote commands
// and the sources that feed them. The program's loop and the headless
// renderer run the same passes on their clocks.
class TDisplayEngine : public TPacketSink, public TRemoteHandler {
  public:
    // The longest open request taken whole: as many characters as the
    // request channel's longest request has bytes.
    static constexpr int32_t kMaxRequest = 64 * 1024;

    // home: the application folder, where scripts and pictures of relative
    // names are found. The layout model reads its settings from settings.
    TDisplayEngine(KRegistry& settings, const std::string& home, K3DFonts& fonts,
                   KScreenSurface& surface, const KClock& clock, std::vector<KRect> monitors,
                   KLog* log);
    ~TDisplayEngine() override;

    // Creates the sources of the settings.
    void StartSources();
    // Takes a request from another program ("OpenLayout,path"); false while
    // an earlier one waits.
    bool Request(const KString& command);
    // One pass of the idle work, in order: a waiting open request, a redraw
    // that came due and a scroll step, the sources (their packets delivered), the current
    // layout's objects. True when a source received data (more may wait).
    bool Pass();
    // Milliseconds from the clock's now until a pass has work of its own,
    // as the last pass left things (a redraw or a trigger that comes due, an
    // animation frame, a scroll step, a channel to poll); 0 when that time
    // has come, KClock::kNever when nothing is timed. Input is not counted.
    int64_t MsUntilDue() const;
    // A key pressed on the display window fires its toggle trigger on the
    // current layout: a function key 1..24, or else a character.
    void KeyPress(int32_t functionKey, KChar character, uint32_t modifiers);

    // Carries out a remote command line as if a source had received it.
    void RunRemoteLine(const KString& line) { remote_.RunRemoteLine(line); }

    void DeliverPacket(TFields& definition) override;
    void ExecuteRemote(const TReceiver& source, const KString& line) override;

    void SetListener(TDisplayEngineListener* listener) { listener_ = listener; }
    TZDisplayWindow& Window() { return window_; }
    TOpenLayouts& Layouts() { return layouts_; }
    TSources* Sources() { return sources_.get(); }

  private:
    void RunRequest();

    KRegistry& settings_;
    std::string home_;
    const KClock& clock_;
    TZDisplayWindow window_;
    TOpenLayouts layouts_;
    TRemoteCommands remote_;
    std::unique_ptr<TSources> sources_;
    KString request_{63, kMaxRequest};
    TDisplayEngineListener* listener_ = nullptr;
    int64_t nextDue_ = KClock::kNever;
};
