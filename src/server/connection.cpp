#include "connection.h"

#include "request.h"
#include "routes.h"

namespace vantrel {

void accept_loop(Socket listener, std::shared_ptr<HubState> hub) {
    for (;;) {
        std::optional<Socket> accepted = accept_connection(listener);
        if (!accepted) continue;
        spawn_detached(
            [hub, socket = std::move(*accepted)]() mutable { handle_connection(std::move(hub), std::move(socket)); });
    }
}

void handle_connection(std::shared_ptr<HubState> hub, Socket socket) {
    set_recv_timeout(socket, HEAD_READ_TIMEOUT);
    std::optional<std::string> head = read_head(socket);
    if (!head) return;
    std::optional<Request> request = parse_request(*head);
    if (!request) return;
    answer_request(std::move(socket), *hub, *request);
}

}  // namespace vantrel
