#pragma once

// Helpers the tests of every folder share: a temporary folder with real
// files, and UTF-8 to string conversion.

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "KString.h"
#include "KUtf8.h"

inline KString KTestText(const std::string& utf8) {
    KString s;
    KAppendUtf8(s, utf8);
    return s;
}

// A fresh folder under /tmp, removed with everything in it at the end.
class KTestFolder {
  public:
    KTestFolder() {
        char pattern[] = "/tmp/tessaron-test-XXXXXX";
        if (mkdtemp(pattern)) path_ = pattern;
    }
    ~KTestFolder() {
        if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
    }
    KTestFolder(const KTestFolder&) = delete;
    KTestFolder& operator=(const KTestFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    // Writes bytes to a file of the folder and returns its path.
    std::string Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    std::string Get(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

  private:
    std::string path_;
};
