#pragma once

#include <cstdint>

#include "KRNode.h"

// The typed values of the settings tree. A value with a hook does not store
// what is parsed or set; it hands it to the hook, whose default stores it.

class KRBool : public KRValue {
  public:
    const char* ClassName() const override { return "KRBool"; }
    bool ParseValue(KString& text) override;
    void AppendValue(KString& out) const override { out.AppendChar(value ? u'1' : u'0'); }
    const char16_t* TypeName() const override { return u"Bool"; }
    KRNode* NewOfSameType() const override { return new KRBool; }

    uint8_t value = 0;
};

class KRInt : public KRValue {
  public:
    using Hook = void (*)(KRInt& setting, int32_t value, void* data);
    static constexpr int32_t kNoMax = 2147483647;
    static constexpr int32_t kNoMin = -2147483647 - 1;

    const char* ClassName() const override { return "KRInt"; }
    bool ParseValue(KString& text) override;
    void AppendValue(KString& out) const override { out.AppendInt(value); }
    void AppendType(KString& out) const override;
    const char16_t* TypeName() const override { return u"Int"; }
    KRNode* NewOfSameType() const override { return new KRInt; }
    // Sets the value through the hook; a null hook restores the default.
    void Set(int32_t v) { hook_(*this, v, hookData_); }
    void SetHook(Hook hook, void* data);
    static void StoreHook(KRInt& setting, int32_t value, void*) { setting.value = value; }

    int32_t value = 0;
    int32_t max = kNoMax;
    int32_t min = kNoMin;

  protected:
    void ParseLimits(const KString& low, const KString& high) override;

  private:
    Hook hook_ = StoreHook;
    void* hookData_ = nullptr;
};

struct KRational {
    int32_t numerator = 0;
    int32_t denominator = 1;
};

class KRRat : public KRValue {
  public:
    using Hook = void (*)(KRRat& setting, KRational value, void* data);

    const char* ClassName() const override { return "KRRat"; }
    bool ParseValue(KString& text) override;
    void AppendValue(KString& out) const override { AppendRational(out, value); }
    const char16_t* TypeName() const override { return u"Rat"; }
    KRNode* NewOfSameType() const override { return new KRRat; }
    void Set(KRational v) { hook_(*this, v, hookData_); }
    void SetHook(Hook hook, void* data);
    static void StoreHook(KRRat& setting, KRational value, void*) { setting.value = value; }

    // "3/4", "1 3/4", "-2", "0"; nothing for a zero denominator.
    static void AppendRational(KString& out, KRational r);
    // Reads "w", "w/d", "w n/d" or "w.ddd", consuming what it reads; the
    // result is in lowest terms.
    static bool ParseRational(KString& text, KRational* out);

    KRational value;

  private:
    Hook hook_ = StoreHook;
    void* hookData_ = nullptr;
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
    KRNode* NewOfSameType() const override { return new KRFloat; }

    double value = 0;
    double max = kNoMax;
    double min = kNoMin;

  protected:
    void ParseLimits(const KString& low, const KString& high) override;
};

class KRString : public KRValue {
  public:
    // Returns whether the new text was accepted; false fails the parse.
    using Hook = bool (*)(KRString& setting, const KString& value, void* data);
    static constexpr int32_t kMaxValue = 1 << 20;

    const char* ClassName() const override { return "KRString"; }
    bool ParseValue(KString& text) override;
    void AppendValue(KString& out) const override { out.Append(value); }
    const char16_t* TypeName() const override { return u"String"; }
    KRNode* NewOfSameType() const override { return new KRString; }
    bool Set(const KString& v) { return hook_(*this, v, hookData_); }
    void SetHook(Hook hook, void* data);
    static bool StoreHook(KRString& setting, const KString& value, void*) {
        setting.value.Assign(value);
        return true;
    }

    KString value{31, kMaxValue};

  private:
    Hook hook_ = StoreHook;
    void* hookData_ = nullptr;
};
