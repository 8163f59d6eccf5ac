#include "server/routes.h"

#include "server/response.h"
#include "server/site.h"
#include "server/subscription.h"

#include <algorithm>
#include <array>
#include <chrono>

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

// Writes the answer piece by piece, stopping at the first failed piece, then
// closes the socket: after a whole answer, only once the peer has closed, has
// sent 64 KiB more or has had a second.
void write_plain_response(Socket socket, std::string_view status, std::string_view extra_headers,
                          std::string_view body) {
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

bool origin_allowed(const std::optional<std::string>& origin) {
    return origin && std::find(ALLOWED_ORIGINS.begin(), ALLOWED_ORIGINS.end(), *origin) != ALLOWED_ORIGINS.end();
}

Answer choose_answer(const Request& request) {
    if (!origin_allowed(request.origin))
        return request.method == "GET" && request.route == "/" ? Answer::Running : Answer::Forbidden;
    if (request.method == "GET" && request.route == "/events") return Answer::EventStream;
    if (request.method == "POST" && request.route == "/uninstall") return Answer::Uninstall;
    if (request.method == "OPTIONS") return Answer::Preflight;
    return Answer::NotFound;
}

void answer_request(Socket socket, HubState& hub, const Request& request) {
    switch (choose_answer(request)) {
        case Answer::Running: write_plain_response(std::move(socket), STATUS_OK, {}, RUNNING_BODY); break;
        case Answer::Forbidden: write_plain_response(std::move(socket), STATUS_FORBIDDEN, {}, {}); break;
        case Answer::EventStream: subscribe(std::move(socket), hub, *request.origin, request.query); break;
        case Answer::Uninstall:
            hub.uninstall_requested.store(true);
            write_plain_response(std::move(socket), STATUS_NO_CONTENT, cors_headers(*request.origin), {});
            break;
        case Answer::Preflight:
            write_plain_response(std::move(socket), STATUS_NO_CONTENT,
                                 cors_headers(*request.origin) + std::string(PREFLIGHT_ADDITION), {});
            break;
        case Answer::NotFound:
            write_plain_response(std::move(socket), STATUS_NOT_FOUND, cors_headers(*request.origin), {});
            break;
    }
}

}  // namespace vantrel
