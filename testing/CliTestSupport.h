#pragma once

// Runs the built tessaron-cli from tests, as a user would.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

struct Result {
    int status;
    std::string out;
    std::string err;
};

inline std::string Quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs the real tessaron-cli with these arguments, standard input from
// stdinFile when given; collects standard output.
inline Result Cli(const std::vector<std::string>& args, const std::string& stdinFile = "") {
    const char* bin = std::getenv("TESSARON_BIN");
    std::string command = Quote(std::string(bin ? bin : ".") + "/tessaron-cli");
    for (const std::string& a : args) command += " " + Quote(a);
    static int calls = 0;
    const std::string errPath =
        "/tmp/tessaron-cli-err-" + std::to_string(getpid()) + "-" + std::to_string(++calls);
    command += " 2>" + Quote(errPath);
    if (!stdinFile.empty()) command += " <" + Quote(stdinFile);
    FILE* pipe = popen(command.c_str(), "r");
    Result r{-1, {}, {}};
    if (!pipe) return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (FILE* err = std::fopen(errPath.c_str(), "rb")) {
        while ((n = std::fread(buf, 1, sizeof buf, err)) > 0) r.err.append(buf, n);
        std::fclose(err);
        std::remove(errPath.c_str());
    }
    return r;
}
