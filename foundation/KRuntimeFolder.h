#pragma once

#include <string>

// Where the running copies of one user meet: the copy lock and count and the
// request socket. That is $XDG_RUNTIME_DIR when set, a folder the session
// gives the user alone. Without it the folder is <temp>/tessaron-<uid>, made
// 0700 on first use. Anyone may make names in a shared temp folder, so
// another user could have made that one first, or made it a link: it is
// taken only when it is a folder, not a link, that this user owns and that
// no one else may enter or change. Otherwise Path() is empty and Problem()
// says why and what to do, for the user to read.
class KRuntimeFolder {
  public:
    explicit KRuntimeFolder(const std::string& temp = "/tmp");

    const std::string& Path() const { return path_; }
    const std::string& Problem() const { return problem_; }

  private:
    // Why the folder cannot be used; empty when it can.
    static std::string Check(const std::string& folder);

    std::string path_;
    std::string problem_;
};
