#include "TTrigger.h"

bool KeyTriggerName(int32_t functionKey, KChar character, uint32_t modifiers, KString& name) {
    name.Empty();
    const bool function = functionKey >= 1 && functionKey <= 24;
    if (!function && (character < 32 || character > 127)) return false;
    if (modifiers & kKeyShift) name.AppendNarrow("S+");
    if (modifiers & kKeyCtrl) name.AppendNarrow("C+");
    if (modifiers & kKeyAlt) name.AppendNarrow("A+");
    if (function) {
        name.AppendChar(u'F').AppendInt(functionKey);
    } else {
        name.AppendChar(character);
    }
    return true;
}
