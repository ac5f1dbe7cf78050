#pragma once

#include <cstdint>
#include <exception>

#include "KErrors.h"

// A failure carrying an error code; its text is the setting Strings\Errors\<code>.
class KX : public std::exception {
  public:
    explicit KX(int32_t code) : code_(code) {}
    int32_t Code() const { return code_; }
    const char* what() const noexcept override { return "KX"; }

  private:
    int32_t code_;
};

// A stream, file or channel failure, with the bytes transferred before it.
class KXStream : public KX {
  public:
    KXStream(int32_t code, int32_t transferred) : KX(code), transferred_(transferred) {}
    int32_t Transferred() const { return transferred_; }
    const char* what() const noexcept override { return "KXStream"; }

  private:
    int32_t transferred_;
};

// Persistent data in a form this program cannot read.
class KXPersistent : public KX {
  public:
    explicit KXPersistent(int32_t code = kErrFileVersion) : KX(code) {}
    const char* what() const noexcept override { return "KXPersistent"; }
};
