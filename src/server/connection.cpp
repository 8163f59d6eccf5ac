#include "server/connection.h"

#include "server/request.h"
#include "server/routes.h"

namespace vantrel {

void accept_loop(Socket listener, std::shared_ptr<HubState> hub) {
    for (;;) accept_next(listener, hub);
}

void accept_next(const Socket& listener, const std::shared_ptr<HubState>& hub) {
    std::optional<Socket> accepted = accept_connection(listener);
    if (!accepted) {
        // A failure that persists (no descriptors left) would otherwise spin a core.
        wait_interval(ACCEPT_RETRY_PAUSE);
        return;
    }
    if (hub->live_connections.fetch_add(1) >= MAX_CONNECTIONS) {
        hub->live_connections.fetch_sub(1);
        return;  // closed unanswered as `accepted` goes
    }
    spawn_detached([hub, socket = std::move(*accepted)]() mutable {
        handle_connection(hub, std::move(socket));
        hub->live_connections.fetch_sub(1);
    });
}

void handle_connection(std::shared_ptr<HubState> hub, Socket socket) {
    std::optional<std::string> head = read_head(socket);
    if (!head) return;
    std::optional<Request> request = parse_request(*head);
    if (!request) return;
    answer_request(std::move(socket), *hub, *request);
}

}  // namespace vantrel
