#pragma once

#include <cstdint>

// Sets a serial line's speed to exactly baud bits per second, standard rate
// or not (14400, 12800, 56000, ...); false when the driver cannot. Kept
// apart because the kernel's own termios definitions, which arbitrary rates
// need, clash with the C library's.
bool KSetExactSpeed(int fd, int32_t baud);
// The line's output speed in bits per second, or -1 when it cannot be read.
int32_t KExactSpeed(int fd);
