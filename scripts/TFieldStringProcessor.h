#pragma once

#include "KStringProcessor.h"

// Longest text the field processor produces: a process text can ask for any
// width or fill, and the result must stay a field-sized string.
constexpr int32_t kProcessedLimit = 65535;

// The processor of received field values: a "%s" formatting stage in front of
// the escape stage, and the trimming custom process 0.
class TFieldStringProcessor : public KStringProcessor {
  public:
    TFieldStringProcessor() : KStringProcessor(10), scratch_(127, kProcessedLimit) {}

    // Formats value with format: "%s" conversions (flag "-", width,
    // precision) take successive pieces of the value; other conversions write
    // nothing and untaken characters are dropped. Appends to output.
    void FormatValue(KString& output, const KString& format, const KString& value);

    // Holds the text between the two stages.
    KString& Scratch() { return scratch_; }

  protected:
    bool CustomFormat(int32_t unit, int32_t operand, KString& output, int32_t count) override;
    bool CustomProcess(int32_t operand, KString& output, int32_t count) override;

  private:
    KString scratch_;
};

// The one engine of the program; its registers live for the whole run, so a
// process text can count and remember across fields, packets and sources.
TFieldStringProcessor& TheFieldProcessor();

// Replaces text by its processed form: formatted by processText when one is
// given, then expanded by the escape stage.
void ProcessField(KString& text, const KString* processText);

// Expands text by the escape stage alone.
inline void ExpandEscapes(KString& text) {
    ProcessField(text, nullptr);
}
