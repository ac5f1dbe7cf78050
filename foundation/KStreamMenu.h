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
    // The port type of a specification: its first field as an integer, 0
    // when it is not one.
    static int PortType(const KString& portSpec);
    // current when it serves the port type; otherwise a new
    // stream from the first prototype that does, or a plain stream.
    std::unique_ptr<KStream> MakeStream(const KString& portSpec,
                                        std::unique_ptr<KStream> current) const;
    // The channel for a port specification, chosen the same way; the
    // caller then opens it with the whole specification.
    std::unique_ptr<KStream> SelectChannel(const KString& portSpec,
                                           std::unique_ptr<KStream> current) const {
        return MakeStream(portSpec, std::move(current));
    }
};
