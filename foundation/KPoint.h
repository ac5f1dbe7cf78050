#pragma once

#include <cstdint>

struct KPoint {
    int32_t x = 0;
    int32_t y = 0;
};
