// Arbitrary bytes sent to the web output as one connection's request, over a
// real loopback socket, to a server that needs a token. Whatever they are,
// the server answers or closes that connection only: a request that does
// not carry the token is never served, and afterwards a good request is
// still answered with the board page while one without the token is refused.

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "K3DFonts.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KMirroredSurface.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "LayoutTestSupport.h"
#include "TDefaultSettings.h"
#include "TDisplayEngine.h"
#include "TWebOutput.h"

namespace {

constexpr const char* kToken = "fuzz-token-7";
constexpr size_t kMaxInput = 64 * 1024;

// The engine shows a titled layout and passes on a thread of its own, as the
// program does, while the server's threads answer the fuzzer's requests.
struct Served {
    Served() {
        ApplyDefaultSettings(settings);
        engine.Layouts().OpenLayout(KTestText(WriteLayoutFile(folder, "title.tly", R"({
            "background": "Blue", "objects": [{"class": "TTextObject", "x": 10, "y": 10,
            "width": 200, "text": "Heat 3", "trigger": "Official",
            "font": {"name": "DejaVu Sans", "size": 30, "face": "White"}}]})")));
        engine.Window().ShowLayout(engine.Layouts().Window(1), -1);
        TWebOutput::Options options;
        options.server.token = kToken;
        std::string error;
        if (!output.Start(options, &error)) std::abort();
        passes = std::thread([this] {
            for (;;) {
                engine.Pass();
                output.Pass();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        passes.detach();
    }

    KTestFolder folder;
    KRegistry settings;
    K3DFonts fonts{settings, folder.Path(), nullptr};
    KMonotonicClock clock;
    KFrameBufferSurface surface;
    KMirroredSurface screens{surface};
    TDisplayEngine engine{settings, folder.Path(),      fonts,  screens,
                          clock,    {{0, 0, 319, 239}}, nullptr};
    TWebOutput output{engine, screens};
    std::thread passes;
};

// The fuzzer's own timer signal interrupts calls that wait; they go on.
bool Readable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    int ready;
    while ((ready = poll(&p, 1, ms)) < 0 && errno == EINTR) {
    }
    return ready > 0;
}

bool Connected(int fd, int result) {
    if (result == 0) return true;
    if (errno != EINTR) return false;
    pollfd p{fd, POLLOUT, 0};
    while (poll(&p, 1, 5000) < 0 && errno == EINTR) {
    }
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

// Sends the bytes, ending the request side, and reads what comes back
// until the server closes or falls silent for a while.
std::string Exchange(int port, const std::string& bytes) {
    // Each connection comes from another loopback address: the server closes
    // first, and its closed connections would soon hold every port of one.
    static uint32_t next = 0;
    ++next;
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr =
        htonl(0x7F000000u | (1 + next % 250) << 16 | (1 + next / 250 % 250) << 8 | 1);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        !Connected(fd, connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to))) {
        std::perror("connecting to the web output");
        std::abort();
    }
    for (size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[65536];
    while (answer.size() < (1u << 24) && Readable(fd, 300)) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return answer;
}

bool Served2xx(const std::string& answer) {
    return answer.starts_with("HTTP/1.1 2") || answer.starts_with("HTTP/1.1 101") ||
           answer.starts_with("HTTP/1.0 2");
}

// A check after the input: a request and what its answer must begin with
// and hold.
void Check(int port, const std::string& request, const char* begins, const char* holds) {
    const std::string answer = Exchange(port, request);
    if (answer.starts_with(begins) && answer.find(holds) != std::string::npos) return;
    std::fprintf(stderr, "after the input, %s was answered: %.200s\n", request.c_str(),
                 answer.c_str());
    std::abort();
}

// Made before the first input: what the font library keeps for good while
// it starts is no input's leak.
Served* served = nullptr;

}  // namespace

// The font library keeps a few bytes of its set-up unreachable for good; the
// fuzzer's leak check after an input would take them for the input's.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    served = new Served;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int port = served->output.Port();
    const std::string bytes(reinterpret_cast<const char*>(data), std::min(size, kMaxInput));

    if (Served2xx(Exchange(port, bytes)) && bytes.find(kToken) == std::string::npos) std::abort();

    Check(port, std::string("GET /?token=") + kToken + " HTTP/1.1\r\n\r\n", "HTTP/1.1 200",
          "<canvas");
    Check(port, "GET / HTTP/1.1\r\n\r\n", "HTTP/1.1 401", "token");
    return 0;
}
