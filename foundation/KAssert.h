#pragma once

// K_ASSERT states what the code itself guarantees: a false condition is a
// programmer's mistake, and the sanitizer build (TESSARON_ASSERTIONS) stops
// there with the condition, its file and line. Elsewhere it compiles to
// nothing and the condition is not evaluated. Never assert what input must
// be: bad input is clamped or refused.
#if TESSARON_ASSERTIONS
[[noreturn]] void KAssertFailed(const char* condition, const char* file, int line);
#define K_ASSERT(condition) ((condition) ? void(0) : KAssertFailed(#condition, __FILE__, __LINE__))
#else
#define K_ASSERT(condition) ((void)sizeof(!(condition)))
#endif
