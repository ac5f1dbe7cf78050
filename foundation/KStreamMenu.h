#pragma once

#include <memory>

#include "KList.h"
#include "KStream.h"

// One registered kind of byte channel, owning its prototype.
class KStreamPrototype : public KListItem {
  public:
    explicit KStreamPrototype(std::unique_ptr<KStream> prototype)
        : prototype(std::move(prototype)) {}
    const char* ClassName() const override { return "KStreamPrototype"; }
    std::unique_ptr<KStream> prototype;
};

// The registry of byte-channel kinds: makes the stream that serves the type
// of a port specification.
class KStreamMenu : public KListOf<KStreamPrototype> {
  public:
    // Puts a prototype in front of the ones registered before.
    void Register(std::unique_ptr<KStream> prototype);
    // The channel for a port type (the port number of a port spec):
    // current when it serves the type; otherwise a new stream from the first
    // prototype that does, or a plain stream that never opens. The caller
    // then opens it with the whole port spec.
    std::unique_ptr<KStream> SelectChannel(int portType, std::unique_ptr<KStream> current) const;
};
