#pragma once

#include "KRegistry.h"

// The built-in table of default lines: every group, setting, UI text and
// help text, applied to an empty tree before the configuration file.
void ApplyDefaultSettings(KRegistry& registry);

// The table as lines of UTF-8 text, in order.
extern const char kDefaultSettings[];
