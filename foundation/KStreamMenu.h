#pragma once

#include <memory>

#include "KList.h"
#include "KStream.h"

// The registry of byte-channel kinds: makes the stream that serves the type
// of a port specification.
class KStreamMenu : public KList {
  public:
    // One registered kind, owning its prototype.
    class Stream : public KListItem {
      public:
        explicit Stream(std::unique_ptr<KStream> prototype) : prototype(std::move(prototype)) {}
        const char* ClassName() const override { return "KStreamMenu::Stream"; }
        std::unique_ptr<KStream> prototype;
    };

    // Puts a prototype in front of the ones registered before.
    void Register(std::unique_ptr<KStream> prototype);
    // The channel for a port type (the port number of a port spec):
    // current when it serves the type; otherwise a new stream from the first
    // prototype that does, or a plain stream that never opens. The caller
    // then opens it with the whole port spec.
    std::unique_ptr<KStream> SelectChannel(int portType, std::unique_ptr<KStream> current) const;
};
