#pragma once

#include <functional>
#include <string>
#include <vector>

#include "KString.h"

class TSources;

// Notices when a source's status text changes, for the tools and the web
// output that report it: the first check reports every source, later ones
// only those whose text differs from the one last reported.
class TStatusWatch {
  public:
    using Report = std::function<void(const KString& source, const KString& status)>;

    explicit TStatusWatch(TSources& sources);
    void Check(const Report& report);

  private:
    TSources& sources_;
    std::vector<std::string> shown_;
};
