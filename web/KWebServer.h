#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

struct mg_connection;
struct mg_context;

// What the embedded HTTP and WebSocket server asks of the output it serves.
// Every call comes on one of the server's threads.
class KWebHandler {
  public:
    struct Response {
        int status = 200;
        std::string type = "application/json";
        std::string body;
    };
    // One WebSocket client: Run sends to it on a thread of its own until it
    // returns; Stop, from another thread, makes Run return soon.
    class Stream {
      public:
        virtual ~Stream() = default;
        // send(text, bytes, length) sends one message; false once the
        // connection is gone, after which Run should return.
        struct Sender {
            virtual bool Send(bool text, const void* bytes, size_t length) = 0;
        };
        virtual void Run(Sender& sender) = 0;
        virtual void Stop() = 0;
    };

    virtual ~KWebHandler() = default;
    // method and path as requested; query undecoded (empty when none).
    virtual Response Answer(const std::string& method, const std::string& path,
                            const std::string& query) = 0;
    // Whether path is one of the WebSocket streams, asked before the handshake.
    virtual bool IsStream(const std::string& path) const = 0;
    // The stream of a WebSocket path, or null to refuse the connection.
    virtual std::unique_ptr<Stream> OpenStream(const std::string& path,
                                               const std::string& query) = 0;
};

// An HTTP and WebSocket server on civetweb, in civetweb's own threads. It
// serves nothing from the disk: every request goes to the handler. With a
// token, every request must carry it (Authorization: Bearer, or ?token=),
// else it is answered 401. Requests are bounded (16 KiB of request line and
// headers, at most civetweb's 64 headers, no body is read), and a client
// message on a WebSocket longer than 4 KiB closes that connection. Each
// WebSocket client has a sender thread of its own, so a client that does not
// read holds up only itself; at most maxClients are connected at once.
class KWebServer {
  public:
    struct Config {
        std::string address = "127.0.0.1";
        int32_t port = 0;  // 0 picks a free port
        std::string token;
        int32_t maxClients = 32;
    };

    explicit KWebServer(KWebHandler& handler);
    ~KWebServer();
    KWebServer(const KWebServer&) = delete;
    KWebServer& operator=(const KWebServer&) = delete;

    // Starts listening; false with a reason in error when it cannot (an
    // address that is not IPv4, a port in use). A started server is stopped
    // first.
    bool Start(const Config& config, std::string* error);
    // Ends every connection and thread; the handler is not called afterwards.
    void Stop();
    // The port listened on (the one picked for port 0), 0 when stopped.
    int32_t Port() const { return port_; }

    // The decoded value of name in a query string; false when absent or
    // longer than 1 KiB.
    static bool QueryValue(const std::string& query, const char* name, std::string* value);
    // Whether the address is IPv4 loopback (127.0.0.0/8) or "localhost".
    static bool IsLoopback(const std::string& address);

  private:
    struct Client;
    static int Request(mg_connection* connection, void* self);
    static int Authorize(mg_connection* connection, void* self);
    static int Connect(const mg_connection* connection, void* self);
    static void Ready(mg_connection* connection, void* self);
    static int Data(mg_connection* connection, int bits, char* data, size_t length, void* self);
    static void Close(const mg_connection* connection, void* self);

    KWebHandler& handler_;
    Config config_;
    mg_context* context_ = nullptr;
    int32_t port_ = 0;
    std::atomic<int32_t> clients_{0};
};
