#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KList.h"
#include "KRegistry.h"
#include "KStream.h"
#include "KStreamMenu.h"
#include "TDebugTrace.h"
#include "TReceiver.h"
#include "TReceiverSinks.h"

class TSources;

// One data feed: a channel chosen by the SerialPort setting and a script
// named by the Script setting, kept in step with those settings.
class TSource : public KListItem {
  public:
    TSource(TSources& owner, KRGroup& group);
    ~TSource() override;
    const char* ClassName() const override { return "TSource"; }

    // Binds the group's settings; false when one is missing or no script loads.
    bool BindSettings();
    void ApplyPort();
    // The Name setting, or an empty text.
    const KString& SourceName() const;
    // True when the channel reads now.
    bool IsRunning();

    KRGroup& group;
    TReceiver script;
    std::unique_ptr<KStream> channel;

  private:
    // What the Script and SerialPort settings' hooks do with a new value.
    bool ScriptSet(KRString& setting, const KString& value);
    bool PortSet(KRString& setting, const KString& value);
    bool LoadScript(const KString& name);
    // Writes to the log that the script name did not load, and what the
    // source uses instead (nothing named: the script it had).
    void LogScriptNotLoaded(const KString& name, const KString& used) const;
    void ApplyCharMode();

    TSources& owner_;
    KRString* scriptSetting_ = nullptr;
    KRString* port_ = nullptr;
    KRInt* charMode_ = nullptr;
};

// The configured sources, polled on every pass of the program's loop, and
// the debug port that shows what they receive.
class TSources : public TPacketSink {
  public:
    static constexpr const char16_t* kDefaultScript = u"Video Display.rss";

    // Before the sources exist: every source keeps its script (the default
    // one when it has none), and a fresh installation gets a first source on
    // COM1.
    static void Prepare(KRegistry& settings, bool configLoaded);
    // A new source group after the largest source number, with the default
    // name, the default script, port and single-byte characters; null
    // without a Sources group. It is not live until the next start.
    static KRGroup* AddGroup(KRegistry& settings, const KString& port);
    // The node as a source group, a child group of Sources\ whose name is a
    // number (given in number when asked); null when it is not one.
    static KRGroup* SourceGroup(KRNode& node, int32_t* number);

    // Creates a source for every source group of the settings; scripts are
    // found in folder. Packets go to packets, remote lines to remote.
    TSources(KRegistry& settings, const std::string& folder, TPacketSink* packets,
             TRemoteHandler* remote);
    ~TSources() override;

    // One pass over the sources and the debug port; true when a source
    // received characters (more may be waiting).
    bool Poll();
    // Adds the descriptors of the sources' channels and the debug port's
    // to wait on.
    void WaitDescriptors(std::vector<int>& out) const;
    // Milliseconds until a channel must be polled without input of its own
    // (a connection being made, a device to open again); KClock::kNever
    // when input alone matters.
    int64_t PollDueIn() const;
    // "Not Loaded", "Not Running", "Not Connected" or "Running".
    const KString& SourceStatus(const KRGroup& group);

    void DeliverPacket(TFields& definition) override;

    const std::string& Folder() const { return folder_; }
    const KStreamMenu& SourceChannels() const { return sourceChannels_; }
    const KListOf<TSource>& List() const { return sources_; }
    int32_t BufferCapacity() const;
    // Gives every definition its index among all sources' definitions.
    void Renumber();
    // Takes the serial port of spec away from every other source.
    void ReleasePort(const KString& spec, KRString& taker);

  private:
    KRegistry& settings_;
    std::string folder_;
    TPacketSink* packets_;
    TRemoteHandler* remote_;
    KStreamMenu sourceChannels_;
    KListOf<TSource> sources_;
    TDebugTrace trace_;
};
