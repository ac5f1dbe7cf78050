#pragma once

#include <cstdint>

#include "KString.h"

class KRegistry;

// A menu text read: "caption" or "caption,accelerator". The caption keeps
// its '&' before the mnemonic letter. The accelerator is any number of
// modifier prefixes "A+", "C+", "S+" (each taken while at least three
// characters remain), then the key: 'F' and a number for a function key, a
// name of the key-name table, or a character. Without Alt, Ctrl, a function
// key or a named key, Ctrl is added, so "N" means Ctrl+N. An empty
// accelerator counts as none. The menu shows the caption and, with an
// accelerator, a tab, the modifier texts of the settings in the order Shift,
// Ctrl, Alt, each followed by '+', and the key.
class KZMenuText {
  public:
    // The key-name table, in its order; NamedKey() indexes it.
    static constexpr int32_t kKeyNames = 14;
    static const KChar* const kKeyName[kKeyNames];
    enum : int32_t { kNoNamedKey = -1 };

    // settings gives the texts \Strings\Menu\Shift, Ctrl, Alt and Func.
    KZMenuText(KRegistry& settings, const KString& text);

    const KString& Caption() const { return caption_; }
    // Caption, tab and accelerator text; the caption alone without one.
    const KString& Shown() const { return shown_; }
    bool HasAccelerator() const { return hasAccelerator_; }
    // TKeyModifier bits.
    uint32_t Modifiers() const { return modifiers_; }
    // 1 and up for F1 and up, else 0.
    int32_t FunctionKey() const { return functionKey_; }
    int32_t NamedKey() const { return namedKey_; }
    // The key when it is neither a function key nor a named key.
    KChar Character() const { return character_; }

  private:
    void ParseAccelerator(KString& accelerator);
    void BuildShown(KRegistry& settings);

    KString caption_;
    KString shown_;
    bool hasAccelerator_ = false;
    uint32_t modifiers_ = 0;
    int32_t functionKey_ = 0;
    int32_t namedKey_ = kNoNamedKey;
    KChar character_ = 0;
};
