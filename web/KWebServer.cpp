#include "KWebServer.h"

#include <arpa/inet.h>
#include <civetweb.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <thread>

namespace {

constexpr size_t kMaxClientMessage = 4096;
// How much nicer a client's sender thread is than the rest of the program.
constexpr int kClientNice = 10;

const char* StatusText(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 503:
            return "Service Unavailable";
        default:
            return "Error";
    }
}

void Send(mg_connection* connection, const KWebHandler::Response& response) {
    mg_printf(connection,
              "HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %zu\r\n"
              "Cache-Control: no-store\r\nConnection: close\r\n\r\n",
              response.status, StatusText(response.status), response.type.c_str(),
              response.body.size());
    if (!response.body.empty()) mg_write(connection, response.body.data(), response.body.size());
}

// Compares in a time that does not depend on where the texts differ.
bool SameSecret(const std::string& a, const std::string& b) {
    unsigned char differ = a.size() == b.size() ? 0 : 1;
    for (size_t i = 0; i < a.size(); ++i)
        differ |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
    return differ == 0;
}

std::string Query(const mg_request_info* info) {
    return info->query_string ? info->query_string : "";
}

// The host a Host header names, without its port.
std::string HostName(const std::string& host) {
    if (host.starts_with('[')) return host.substr(0, host.find(']') + 1);
    return host.substr(0, host.find(':'));
}

// Whether a browser may have sent this for a page of another site: its
// Origin is not the server it asked (a form or a script elsewhere posting to
// the board's API), or, on loopback, the name it asked for is not a
// loopback one (another site's name turned to 127.0.0.1 to read the board).
bool FromAnotherSite(const mg_connection* connection, bool loopback) {
    const char* host = mg_get_header(connection, "Host");
    if (!host) return false;  // not a browser
    const std::string asked = host;
    if (loopback) {
        const std::string name = HostName(asked);
        if (!KWebServer::IsLoopback(name) && name != "[::1]") return true;
    }
    const char* origin = mg_get_header(connection, "Origin");
    if (!origin) return false;
    const std::string page = origin;
    const size_t scheme = page.find("://");
    return scheme == std::string::npos || page.substr(scheme + 3) != asked;
}

}  // namespace

struct KWebServer::Client final : KWebHandler::Stream::Sender {
    mg_connection* connection = nullptr;
    std::unique_ptr<KWebHandler::Stream> stream;
    std::thread thread;

    bool Send(bool text, const void* bytes, size_t length) override {
        const int opcode = text ? MG_WEBSOCKET_OPCODE_TEXT : MG_WEBSOCKET_OPCODE_BINARY;
        return mg_websocket_write(connection, opcode, static_cast<const char*>(bytes), length) > 0;
    }
};

KWebServer::KWebServer(KWebHandler& handler) : handler_(handler) {}

KWebServer::~KWebServer() {
    Stop();
}

bool KWebServer::IsLoopback(const std::string& address) {
    if (address == "localhost") return true;
    in_addr ip{};
    return inet_pton(AF_INET, address.c_str(), &ip) == 1 && (ntohl(ip.s_addr) >> 24) == 127;
}

bool KWebServer::QueryValue(const std::string& query, const char* name, std::string* value) {
    char text[1025];
    const int length = mg_get_var(query.c_str(), query.size(), name, text, sizeof text);
    if (length < 0) return false;
    value->assign(text, static_cast<size_t>(length));
    return true;
}

bool KWebServer::Start(const Config& config, std::string* error) {
    Stop();
    static std::once_flag library;
    std::call_once(library, [] { mg_init_library(0); });
    config_ = config;
    const std::string address = config.address == "localhost" ? "127.0.0.1" : config.address;
    in_addr ip{};
    if (inet_pton(AF_INET, address.c_str(), &ip) != 1) {
        *error = "not an IPv4 address: " + config.address;
        return false;
    }
    if (config.port < 0 || config.port > 65535) {
        *error = "not a port: " + std::to_string(config.port);
        return false;
    }
    const std::string ports = address + ":" + std::to_string(config.port);
    // Each WebSocket client holds a worker thread; a few more answer requests.
    const std::string threads = std::to_string(config.maxClients + 8);
    const char* options[] = {"listening_ports",
                             ports.c_str(),
                             "num_threads",
                             threads.c_str(),
                             "request_timeout_ms",
                             "10000",
                             "max_request_size",
                             "16384",
                             "enable_keep_alive",
                             "no",
                             "enable_websocket_ping_pong",
                             "yes",
                             nullptr};
    mg_callbacks callbacks{};
    mg_init_data init{&callbacks, this, options};
    char text[256] = "";
    unsigned code = 0;
    mg_error_data failure{&code, text, sizeof text};
    context_ = mg_start2(&init, &failure);
    if (!context_) {
        *error = "cannot listen on " + ports + (text[0] ? std::string(": ") + text : "");
        return false;
    }
    mg_server_port listening[1]{};
    port_ = mg_get_server_ports(context_, 1, listening) == 1 ? listening[0].port : config.port;
    mg_set_auth_handler(context_, "/", Authorize, this);
    mg_set_request_handler(context_, "/", Request, this);
    mg_set_websocket_handler(context_, "/", Connect, Ready, Data, Close, this);
    return true;
}

void KWebServer::Stop() {
    if (!context_) return;
    mg_stop(context_);
    context_ = nullptr;
    port_ = 0;
}

int KWebServer::Authorize(mg_connection* connection, void* self) {
    const KWebServer& server = *static_cast<KWebServer*>(self);
    if (FromAnotherSite(connection, IsLoopback(server.config_.address))) {
        Send(connection, {403, "application/json", "{\"error\":\"only this board's own pages\"}"});
        return 0;
    }
    const std::string& token = server.config_.token;
    if (token.empty()) return 1;
    if (const char* header = mg_get_header(connection, "Authorization")) {
        if (std::strncmp(header, "Bearer ", 7) == 0 && SameSecret(header + 7, token)) return 1;
    }
    std::string given;
    if (QueryValue(Query(mg_get_request_info(connection)), "token", &given) &&
        SameSecret(given, token))
        return 1;
    Send(connection, {401, "application/json", "{\"error\":\"a token is needed\"}"});
    return 0;
}

int KWebServer::Request(mg_connection* connection, void* self) {
    auto& server = *static_cast<KWebServer*>(self);
    const mg_request_info* info = mg_get_request_info(connection);
    const KWebHandler::Response response = server.handler_.Answer(
        info->request_method, info->local_uri ? info->local_uri : "", Query(info));
    Send(connection, response);
    return response.status;
}

int KWebServer::Connect(const mg_connection* connection, void* self) {
    // Nothing is made for the client yet: the handshake may still fail, and
    // then the connection ends without a close.
    auto& server = *static_cast<KWebServer*>(self);
    const mg_request_info* info = mg_get_request_info(connection);
    const bool known = server.handler_.IsStream(info->local_uri ? info->local_uri : "");
    return known && server.clients_ < server.config_.maxClients ? 0 : 1;
}

void KWebServer::Ready(mg_connection* connection, void* self) {
    auto& server = *static_cast<KWebServer*>(self);
    const mg_request_info* info = mg_get_request_info(connection);
    auto client = std::make_unique<Client>();
    if (server.clients_.fetch_add(1) < server.config_.maxClients)
        client->stream =
            server.handler_.OpenStream(info->local_uri ? info->local_uri : "", Query(info));
    if (!client->stream) {
        --server.clients_;
        mg_websocket_write(connection, MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE, "", 0);
        return;
    }
    client->connection = connection;
    Client* running = client.get();
    client->thread = std::thread([running] {
        // Viewers come after the board: when the cores are busy, the engine
        // that draws it runs first, however many clients are connected.
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kClientNice);
        running->stream->Run(*running);
        // Ended on its own (a client too far behind): the client is told, so
        // that it connects again rather than waiting for nothing.
        mg_websocket_write(running->connection, MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE, "", 0);
    });
    mg_set_user_connection_data(connection, client.release());
}

int KWebServer::Data(mg_connection*, int bits, char*, size_t length, void*) {
    // The clients have nothing to say: a close, or anything long, ends them.
    if ((bits & 0x0F) == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE) return 0;
    return length <= kMaxClientMessage ? 1 : 0;
}

void KWebServer::Close(const mg_connection* connection, void* self) {
    auto& server = *static_cast<KWebServer*>(self);
    std::unique_ptr<Client> client(static_cast<Client*>(mg_get_user_connection_data(connection)));
    if (!client) return;
    client->stream->Stop();
    if (client->thread.joinable()) client->thread.join();
    --server.clients_;
}
