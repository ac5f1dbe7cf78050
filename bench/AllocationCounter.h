#pragma once

#include <cstdint>

// Counts heap allocations made through operator new in this process.
uint64_t AllocationCount();
