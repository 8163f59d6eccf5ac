#include "server/response.h"

#include "server/request.h"

#include <array>
#include <chrono>
#include <cstddef>

namespace vantrel {

namespace {

constexpr std::string_view STATUS_OK = "200 OK";
constexpr std::string_view STATUS_NO_CONTENT = "204 No Content";
constexpr std::string_view STATUS_FORBIDDEN = "403 Forbidden";
constexpr std::string_view STATUS_NOT_FOUND = "404 Not Found";
constexpr std::string_view RUNNING_BODY = "Vantrel is running.\n";
constexpr std::string_view PREFLIGHT_ADDITION = "Access-Control-Allow-Methods: GET, POST\r\n";

constexpr std::size_t DRAIN_LIMIT_BYTES = 64 * 1024;
constexpr std::chrono::milliseconds DRAIN_LIMIT_TIME{1000};

// Closing with unread bytes (a body, a head past the limit) resets the
// connection, and the client may lose the answer it has not read yet. So end
// our side first and let the peer close, within bounds. This also leaves the
// closing wait with the client, which keeps our port free to bind again.
void close_gracefully(Socket socket) {
    shutdown_send(socket);
    const Instant deadline = Clock::now() + DRAIN_LIMIT_TIME;
    std::array<char, READ_CHUNK> discard;
    for (std::size_t drained = 0; drained < DRAIN_LIMIT_BYTES;) {
        std::ptrdiff_t received = recv_before(socket, discard.data(), discard.size(), deadline);
        if (received <= 0) return;
        drained += static_cast<std::size_t>(received);
    }
}

void write_plain(Socket socket, std::string_view status, std::string_view extra_headers, std::string_view body) {
    const std::string length = std::to_string(body.size());
    for (std::string_view piece :
         {std::string_view("HTTP/1.1 "), status, std::string_view("\r\nContent-Type: text/plain\r\nContent-Length: "),
          std::string_view(length), std::string_view("\r\nConnection: close\r\n"), extra_headers,
          std::string_view("\r\n"), body}) {
        if (!send_all(socket, piece)) return;
    }
    close_gracefully(std::move(socket));
}

}  // namespace

bool send_all(const Socket& socket, std::string_view bytes) {
    while (!bytes.empty()) {
        std::ptrdiff_t sent = send_some(socket, bytes.data(), bytes.size());
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::string cors_headers(std::string_view origin) {
    std::string block = "Access-Control-Allow-Origin: ";
    block += origin;
    block += "\r\nAccess-Control-Allow-Private-Network: true\r\nVary: Origin\r\n";
    return block;
}

void write_plain_answer(Socket socket, Answer answer, std::string_view origin) {
    switch (answer) {
        case Answer::Running: write_plain(std::move(socket), STATUS_OK, {}, RUNNING_BODY); break;
        case Answer::Forbidden: write_plain(std::move(socket), STATUS_FORBIDDEN, {}, {}); break;
        case Answer::Uninstall: write_plain(std::move(socket), STATUS_NO_CONTENT, cors_headers(origin), {}); break;
        case Answer::Preflight:
            write_plain(std::move(socket), STATUS_NO_CONTENT, cors_headers(origin) + std::string(PREFLIGHT_ADDITION),
                        {});
            break;
        case Answer::NotFound: write_plain(std::move(socket), STATUS_NOT_FOUND, cors_headers(origin), {}); break;
        case Answer::EventStream: break;  // not a plain answer
    }
}

std::string stream_head(std::string_view origin) {
    std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\nConnection: keep-alive\r\n";
    head += cors_headers(origin);
    head += "\r\nretry: 2000\n\n";
    return head;
}

}  // namespace vantrel
