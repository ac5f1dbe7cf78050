#pragma once

// Helpers the tests of every folder share: a temporary folder with real
// files, UTF-8 to string conversion and free ports.

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <string>
#include <vector>

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
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
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

// Makes a FIFO at path; false when the system will not.
inline bool KMakeFifo(const std::string& path) {
    return mkfifo(path.c_str(), 0600) == 0;
}

// Whether call comes back within two seconds while the FIFOs at fifos have
// no other end. A call that waits on one instead is released (each FIFO is
// opened at both ends and closed, so that a waiting open returns and reads
// end) and counts as hung, so the test fails rather than hanging.
inline bool KReturnsAtOnce(const std::vector<std::string>& fifos,
                           const std::function<void()>& call) {
    std::future<void> done = std::async(std::launch::async, call);
    if (done.wait_for(std::chrono::seconds(2)) == std::future_status::ready) return true;
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        for (const std::string& fifo : fifos) {
            const int both = open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (both >= 0) close(both);
        }
    }
    return false;
}

// Ports of 127.0.0.1 that are free now, all different (type SOCK_STREAM for
// TCP, SOCK_DGRAM for UDP); fewer when the system has no more. The system
// picks them, so two test runs on one machine do not take the same ones.
inline std::vector<uint16_t> KFreePorts(size_t count, int type = SOCK_STREAM) {
    std::vector<int> held;
    std::vector<uint16_t> ports;
    for (size_t i = 0; i < count; ++i) {
        const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
        if (fd < 0) break;
        held.push_back(fd);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            break;
        ports.push_back(ntohs(address.sin_port));
    }
    for (const int fd : held) close(fd);
    return ports;
}

// One free port, 0 when there is none.
inline uint16_t KFreePort(int type = SOCK_STREAM) {
    const std::vector<uint16_t> ports = KFreePorts(1, type);
    return ports.empty() ? 0 : ports[0];
}

// A non-blocking TCP connection to a port of 127.0.0.1, tried for up to a
// second while the listener comes up.
inline int KConnectLoopback(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < 200; ++i) {
        if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) break;
        usleep(5000);
    }
    fcntl(fd, F_SETFL, O_NONBLOCK);
    return fd;
}
