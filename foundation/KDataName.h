#pragma once

#include "KString.h"

// Resolves a file name that comes from data (a script, a setting, a layout
// file) against folder: '\' becomes '/', a relative name is taken inside
// folder, and when the exact name does not exist each step of the path is
// matched without regard to letter case. Appends the path to out; when
// nothing matches, the exact path.
void KResolveDataName(const KString& folder, const KString& name, KString& out);
