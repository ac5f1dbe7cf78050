#pragma once

#include <cstdint>

#include "KString.h"

class KRegistry;

// The text of an error alert: \Strings\Errors\<code>, else the text of the
// code's thousands group (3011 -> 3000), else \Strings\Alerts\OperationFailed;
// then " (code)." or, when detail >= 0, " (code,detail).".
KString KZErrorText(KRegistry& settings, int32_t code, int32_t detail);
