#pragma once

#include <cstdint>

class KRegistry;
class KRInt;

// One budget of picture memory for all open layouts together: the pictures
// of video display objects and of bitmap objects. Its size is
// Display\MemoryBudget in MiB (1024 when unbound), read at each use. Each
// object holds a Share; an object whose picture would pass the budget gets
// error 2001 (logged, category "E"), holds nothing and draws nothing, while
// the objects that fit draw as usual. One budget per program, used from one
// thread.
class TMemoryBudget {
  public:
    static constexpr int64_t kDefaultMiB = 1024;

    // What one object holds of the budget; given back when it goes.
    class Share {
      public:
        Share() = default;
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;
        ~Share() { Release(); }

        // Holds bytes in place of what it held. When that would pass the
        // budget it holds nothing, logs error 2001 for `who` and returns
        // false.
        bool Take(int64_t bytes, const char* who);
        void Release();
        int64_t Bytes() const { return bytes_; }
        // The budget left for this share: what is free plus what it holds.
        int64_t Left() const;

      private:
        int64_t bytes_ = 0;
    };

    static void Bind(KRegistry* settings);
    // Logs error 2001 for `who`, an object whose picture does not fit.
    static void Refuse(const char* who);
    static int64_t Limit();
    // Bytes held by every share together.
    static int64_t Used();
};
