#include "ProcessVerb.h"

#include <string>
#include <vector>

#include "KUtf8.h"
#include "TFieldStringProcessor.h"
#include "VerbOptions.h"

int RunProcessVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App verb(
        "Runs each VALUE through the field processor, as a script's process= "
        "attribute treats an extracted field.",
        "process");
    std::string processText;
    std::vector<std::string> values;
    CLI::Option* processOption =
        verb.add_option("--process", processText, "the process text; without it only escapes");
    verb.add_option("VALUE", values, "the values, processed in turn")->required();
    if (const int done = ParseVerbOptions(verb, argc, argv, out, err); done >= 0) return done;

    KString process(63, kProcessedLimit);
    KAppendUtf8(process, processText);
    const bool hasProcess = processOption->count() > 0;
    KString value(63, kProcessedLimit);
    std::string line;
    for (const std::string& text : values) {
        value.Empty();
        KAppendUtf8(value, text);
        ProcessField(value, hasProcess ? &process : nullptr);
        line = KUtf8OfUnits(value);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), out);
    }
    return 0;
}
