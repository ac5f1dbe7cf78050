#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <list>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "KString.h"

class TFields;

// The live data of the sources for the web: the last value of every field
// of every source (for /fields.json), and for each listener (a /fields
// connection) the JSON objects the monitor writes, one per packet, remote
// line and status change, waiting to be sent. A listener that falls more
// than kMaxWaiting bytes behind is stopped rather than queued for without
// bound. The engine's thread reports; listeners' threads take.
class TWebFields {
  public:
    static constexpr size_t kMaxWaiting = 4 << 20;

    struct Listener {
        std::deque<std::string> waiting;
        size_t bytes = 0;
        bool stopped = false;
    };

    // One report, made on the engine's thread when the event happens: the
    // object /fields sends, and what it changes in the last values (names
    // and values as JSON strings).
    struct Report {
        std::string source;
        std::string packet;  // empty unless a packet
        std::string values;  // a packet's "F":"V" members joined by ','
        std::string status;  // empty unless a status
        std::string object;
    };
    static Report PacketReport(const TFields& definition);
    static Report RemoteReport(const KString& source, const KString& line);
    static Report StatusReport(const KString& source, const KString& status);

    void Publish(const Report& report);

    // {"sources":[{"name":N,"status":S,"packets":{"P":{"F":"V",...},...}},...]}
    std::string Snapshot() const;

    Listener* Join();
    void Leave(Listener* listener);
    void Stop(Listener* listener);
    // Waits for objects and moves them into out; false once the listener is
    // stopped (by Stop, or by falling too far behind).
    bool Take(Listener* listener, std::deque<std::string>& out);

  private:
    // The last values of one source; names and values as JSON strings.
    struct Source {
        std::string name;
        std::string status = "\"\"";
        // packet name, then its "F":"V" members joined by ','.
        std::vector<std::pair<std::string, std::string>> packets;
    };

    Source& SourceNamed(const std::string& name);

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Source> sources_;
    std::list<Listener> listeners_;
};
