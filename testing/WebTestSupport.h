#pragma once

// The tests' side of the web output: plain HTTP requests and a small
// WebSocket client over real loopback sockets, and PNG decoding.

#include <arpa/inet.h>
#include <png.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// A blocking loopback connection, or -1.
inline int WebConnect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

inline bool WebSendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

struct WebAnswer {
    int status = 0;
    std::string head, body;
};

// Sends request bytes and reads the answer to the end of the connection.
inline WebAnswer WebRequest(int port, const std::string& request) {
    WebAnswer answer;
    const int fd = WebConnect(port);
    if (fd < 0) return answer;
    WebSendAll(fd, request);
    std::string all;
    char buffer[65536];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 5000) > 0) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        all.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    const size_t end = all.find("\r\n\r\n");
    if (end == std::string::npos || all.size() < 12) return answer;
    answer.status = std::atoi(all.c_str() + 9);
    answer.head = all.substr(0, end);
    answer.body = all.substr(end + 4);
    return answer;
}

inline WebAnswer WebGet(int port, const std::string& target, const std::string& headers = "",
                        const std::string& method = "GET") {
    return WebRequest(port, method + " " + target + " HTTP/1.1\r\nHost: localhost\r\n" + headers +
                                "Connection: close\r\n\r\n");
}

// A WebSocket client: the handshake, then whole messages; pings are answered.
class WebSocketClient {
  public:
    struct Message {
        bool text = false;
        std::string data;
    };

    ~WebSocketClient() {
        if (fd_ >= 0) close(fd_);
    }
    // The status of the handshake's answer (101 when open).
    int Open(int port, const std::string& target, const std::string& headers = "") {
        fd_ = WebConnect(port);
        if (fd_ < 0) return 0;
        WebSendAll(fd_, "GET " + target +
                            " HTTP/1.1\r\nHost: localhost\r\nUpgrade: websocket\r\n"
                            "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                            "Sec-WebSocket-Version: 13\r\n" +
                            headers + "\r\n");
        std::string head;
        while (head.find("\r\n\r\n") == std::string::npos) {
            if (!Fill(5000)) return 0;
            head += buffer_;
            buffer_.clear();
        }
        const size_t end = head.find("\r\n\r\n") + 4;
        buffer_ = head.substr(end);
        return head.size() > 12 ? std::atoi(head.c_str() + 9) : 0;
    }
    int Descriptor() const { return fd_; }
    // Whether the server closes the connection within ms (what arrives
    // before the end is skipped).
    bool ClosedWithin(int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        char chunk[65536];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
            if (recv(fd_, chunk, sizeof chunk, 0) <= 0) return true;
        }
    }

    // The next text or binary message, waiting at most ms; false on a
    // time-out or a closed connection.
    bool Read(Message* message, int ms = 5000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            int opcode = 0;
            std::string payload;
            while (!Frame(&opcode, &payload)) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    until - std::chrono::steady_clock::now());
                if (left.count() <= 0 || !Fill(static_cast<int>(left.count()))) return false;
            }
            if (opcode == 0x9) {
                Send(0xA, payload);
            } else if (opcode == 0x8) {
                return false;
            } else if (opcode == 0x1 || opcode == 0x2) {
                message->text = opcode == 0x1;
                message->data = std::move(payload);
                return true;
            }
        }
    }
    bool Send(int opcode, const std::string& payload) {
        std::string frame(1, static_cast<char>(0x80 | opcode));
        if (payload.size() < 126) {
            frame += static_cast<char>(0x80 | payload.size());
        } else {
            frame += static_cast<char>(0x80 | 127);
            for (int i = 7; i >= 0; --i)
                frame += static_cast<char>(static_cast<uint64_t>(payload.size()) >> (8 * i));
        }
        const char mask[4] = {1, 2, 3, 4};
        frame.append(mask, 4);
        for (size_t i = 0; i < payload.size(); ++i)
            frame += static_cast<char>(payload[i] ^ mask[i % 4]);
        return WebSendAll(fd_, frame);
    }

  private:
    bool Fill(int ms) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, ms) <= 0) return false;
        char chunk[65536];
        const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        buffer_.append(chunk, static_cast<size_t>(n));
        return true;
    }
    // Takes one whole frame from the buffer; false when it is not all there.
    bool Frame(int* opcode, std::string* payload) {
        if (buffer_.size() < 2) return false;
        const auto* b = reinterpret_cast<const uint8_t*>(buffer_.data());
        uint64_t length = b[1] & 0x7F;
        size_t at = 2;
        if (length == 126) {
            if (buffer_.size() < 4) return false;
            length = uint64_t{b[2]} << 8 | b[3];
            at = 4;
        } else if (length == 127) {
            if (buffer_.size() < 10) return false;
            length = 0;
            for (int i = 0; i < 8; ++i) length = length << 8 | b[2 + i];
            at = 10;
        }
        if (buffer_.size() < at + length) return false;
        *opcode = b[0] & 0x0F;
        payload->assign(buffer_, at, length);
        buffer_.erase(0, at + length);
        return true;
    }

    int fd_ = -1;
    std::string buffer_;
};

// Decodes a PNG into 0xAARRGGBB pixels; empty when it is not one.
inline std::vector<uint32_t> DecodePng(const std::string& bytes, int* width, int* height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return pixels;
}

inline int32_t WebInt32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
    return static_cast<int32_t>(v);
}
