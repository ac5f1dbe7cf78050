#include "KMessageObject.h"

void KMessageObject::Send(KMessage message) {
    if (!message.sender) message.sender = this;
    KMessageObject* root = this;
    while (root->parent_) root = root->parent_;
    root->Notify(message);
}
