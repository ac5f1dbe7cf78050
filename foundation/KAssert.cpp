#include "KAssert.h"

#include <cstdio>
#include <cstdlib>

#if TESSARON_ASSERTIONS
void KAssertFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: assertion failed: %s\n", file, line, condition);
    std::abort();
}
#endif
