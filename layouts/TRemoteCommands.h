#pragma once

#include <cstdint>

#include "KString.h"
#include "TReceiverSinks.h"

class KRegistry;
class TLayoutScreen;
class TOpenLayouts;

// Carries out the remote command lines that sources receive between packets.
// A line is a list of key=value items separated by ';', in which '"' quotes;
// keys are matched ignoring case. Two commands exist:
//   Command=Trigger;Name=n;Action=On|Off|Toggle;   fires a trigger on the
//     current layout (Name required; Action On when absent or unknown);
//   Command=LayoutDraw;Name=title;Window=n;Delay=ms;Clear=c;   shows the
//     layout of the window titled Name, else of window n, else the current
//     one again, after Delay ms (Sources\LayoutDrawDelay when absent);
//     Clear=2 clears its values first, Clear=1 only when it is not current.
// Anything else, and an item whose number does not parse, is ignored: the
// line or the item. Nothing is answered. Work is linear in the line's length,
// whatever its quotes, so a hostile line costs no more than reading it.
class TRemoteCommands : public TRemoteHandler {
  public:
    TRemoteCommands(KRegistry& settings, TOpenLayouts& layouts, TLayoutScreen& screen);

    void ExecuteRemote(const TReceiver& source, const KString& line) override;
    void RunRemoteLine(const KString& line);

    // Appends the value of the first item of line that begins with key,
    // ignoring case, followed by '=': the whole value when index < 0, else
    // its field index split at ',' with '"' quoting. False when there is no
    // such item or field.
    static bool RemoteValue(const KString& line, const KString& key, KString& out, int32_t index);

  private:
    void RunTrigger(const KString& line);
    void RunLayoutDraw(const KString& line);

    KRegistry& settings_;
    TOpenLayouts& layouts_;
    TLayoutScreen& screen_;
};
