#pragma once

#include <functional>

#include "KStream.h"

// Saves a file that users keep so that a failure or a crash at any point
// leaves the old file as it was: write() fills a new file beside it, which is
// put on disk and then takes the old one's place in one rename. Raises the
// code of the failing step (3002 creating, 3005 writing or replacing) and
// whatever write() raises; the old file is untouched then.
void KSaveAtomically(const KString& path, const std::function<void(KStream&)>& write);
