#pragma once

#include <cstdint>
#include <functional>

#include "KRNode.h"

// The typed values of the settings tree. A value with a hook does not store
// what is parsed or set; it hands it to the hook, which stores what it takes
// and tells the part that watches the setting. Without a hook the value is
// stored as it is. A watcher removes its hook (an empty one) before it goes.

class KRBool : public KRValue {
  public:
    const char* ClassName() const override { return "KRBool"; }
    bool ParseValue(KString& text) override;
    void AppendValue(KString& out) const override { out.AppendChar(value ? u'1' : u'0'); }
    const char16_t* TypeName() const override { return u"Bool"; }
    std::unique_ptr<KRNode> NewOfSameType() const override { return std::make_unique<KRBool>(); }

    uint8_t value = 0;
};

class KRInt : public KRValue {
  public:
    using Hook = std::function<void(KRInt& setting, int32_t value)>;
    static constexpr int32_t kNoMax = 2147483647;
    static constexpr int32_t kNoMin = -2147483647 - 1;

    const char* ClassName() const override { return "KRInt"; }
    bool ParseValue(KString& text) override;
    void AppendValue(KString& out) const override { out.AppendInt(value); }
    void AppendType(KString& out) const override;
    const char16_t* TypeName() const override { return u"Int"; }
    std::unique_ptr<KRNode> NewOfSameType() const override { return std::make_unique<KRInt>(); }
    // Sets the value through the hook, if any.
    void Set(int32_t v) {
        if (hook_)
            hook_(*this, v);
        else
            value = v;
    }
    void SetHook(Hook hook) { hook_ = std::move(hook); }

    int32_t value = 0;
    int32_t max = kNoMax;
    int32_t min = kNoMin;

  protected:
    void ParseLimits(const KString& low, const KString& high) override;

  private:
    Hook hook_;
};

struct KRational {
    int32_t numerator = 0;
    int32_t denominator = 1;
};

class KRRat : public KRValue {
  public:
    using Hook = std::function<void(KRRat& setting, KRational value)>;

    const char* ClassName() const override { return "KRRat"; }
    bool ParseValue(KString& text) override;
    void AppendValue(KString& out) const override { AppendRational(out, value); }
    const char16_t* TypeName() const override { return u"Rat"; }
    std::unique_ptr<KRNode> NewOfSameType() const override { return std::make_unique<KRRat>(); }
    void Set(KRational v) {
        if (hook_)
            hook_(*this, v);
        else
            value = v;
    }
    void SetHook(Hook hook) { hook_ = std::move(hook); }

    // "3/4", "1 3/4", "-2", "0"; nothing for a zero denominator.
    static void AppendRational(KString& out, KRational r);
    // Reads "w", "w/d", "w n/d" or "w.ddd", consuming what it reads; the
    // result is in lowest terms.
    static bool ParseRational(KString& text, KRational* out);

    KRational value;

  private:
    Hook hook_;
};

class KRFloat : public KRValue {
  public:
    static constexpr double kNoMax = 1.7976931348623157e+308;
    static constexpr double kNoMin = 2.2250738585072014e-308;

    const char* ClassName() const override { return "KRFloat"; }
    bool ParseValue(KString& text) override;
    void AppendValue(KString& out) const override { out.AppendRealDot(value, "%lf"); }
    void AppendType(KString& out) const override;
    const char16_t* TypeName() const override { return u"Float"; }
    std::unique_ptr<KRNode> NewOfSameType() const override { return std::make_unique<KRFloat>(); }

    double value = 0;
    double max = kNoMax;
    double min = kNoMin;

  protected:
    void ParseLimits(const KString& low, const KString& high) override;
};

class KRString : public KRValue {
  public:
    // Returns whether the new text was accepted; false fails the parse.
    using Hook = std::function<bool(KRString& setting, const KString& value)>;
    static constexpr int32_t kMaxValue = 1 << 20;

    const char* ClassName() const override { return "KRString"; }
    bool ParseValue(KString& text) override;
    void AppendValue(KString& out) const override { out.Append(value); }
    const char16_t* TypeName() const override { return u"String"; }
    std::unique_ptr<KRNode> NewOfSameType() const override { return std::make_unique<KRString>(); }
    bool Set(const KString& v) {
        if (hook_) return hook_(*this, v);
        value.Assign(v);
        return true;
    }
    void SetHook(Hook hook) { hook_ = std::move(hook); }

    KString value{31, kMaxValue};

  private:
    Hook hook_;
};
