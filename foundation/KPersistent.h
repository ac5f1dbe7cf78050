#pragma once

class KStream;

// Anything that can write itself to a stream and read itself back.
class KPersistent {
  public:
    virtual ~KPersistent() = default;
    virtual void Read(KStream&) {}
    virtual void Write(KStream&) const {}
};
