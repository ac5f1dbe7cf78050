#pragma once

#include <cstdint>

class KMessageObject;

// A change report: what changed (code), an argument, and who changed.
struct KMessage {
    int32_t code = 0;
    int32_t argument = 0;
    KMessageObject* sender = nullptr;
};

// A participant in change reporting. Objects hang below a root by their
// parent links; a message sent anywhere walks up to the root, whose Notify
// receives it. A root's id is the last id it handed out; an object's id is
// its number below its root and reads as 0 while it has no parent.
class KMessageObject {
  public:
    KMessageObject() = default;
    KMessageObject(const KMessageObject&) = delete;
    KMessageObject& operator=(const KMessageObject&) = delete;
    virtual ~KMessageObject() = default;

    KMessageObject* Parent() const { return parent_; }
    int32_t Id() const { return parent_ ? id_ : 0; }
    void SetParent(KMessageObject* parent, int32_t id) { parent_ = parent, id_ = id; }
    void SetId(int32_t id) { id_ = id; }

    // Hands the message to the root's Notify; a missing sender becomes this.
    void Send(KMessage message);
    void Send(int32_t code) { Send(KMessage{code, 0, nullptr}); }
    virtual void Notify(const KMessage&) {}

  protected:
    // For a root: the id counter.
    int32_t LastId() const { return id_; }
    void SetLastId(int32_t id) { id_ = id; }
    int32_t NewId() { return ++id_; }

  private:
    KMessageObject* parent_ = nullptr;
    int32_t id_ = 0;
};
