#include "ProcessVerb.h"

#include <cstring>
#include <string>

#include "KUtf8.h"
#include "TFieldStringProcessor.h"

namespace {

int Usage(FILE* err) {
    std::fputs("usage: tessaron-cli process [--process TEXT] VALUE...\n", err);
    return 2;
}

}  // namespace

int RunProcessVerb(int argc, char** argv, FILE* out, FILE* err) {
    KString process(63, kProcessedLimit);
    bool hasProcess = false;
    int i = 0;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--process") == 0) {
            if (i + 1 >= argc) return Usage(err);
            ++i;
            process.Empty();
            KAppendUtf8(process, argv[i], std::strlen(argv[i]));
            hasProcess = true;
        } else if (std::strcmp(argv[i], "--") == 0) {
            ++i;
            break;
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return Usage(err);
        } else {
            break;
        }
    }
    if (i >= argc) return Usage(err);
    KString value(63, kProcessedLimit);
    std::string line;
    for (; i < argc; ++i) {
        value.Empty();
        KAppendUtf8(value, argv[i], std::strlen(argv[i]));
        ProcessField(value, hasProcess ? &process : nullptr);
        line = KUtf8OfUnits(value);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), out);
    }
    return 0;
}
