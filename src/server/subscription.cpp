#include "server/subscription.h"

#include "server/messages.h"
#include "server/response.h"

namespace vantrel {

void subscribe(Socket socket, HubState& hub, std::string_view origin, std::string_view query) {
    set_no_delay(socket);
    // Bounds every later write of the poll thread, which holds the list lock.
    set_send_timeout(socket, STREAM_SEND_TIMEOUT);
    if (!send_all(socket, stream_head(origin))) return;
    std::optional<Socket> watcher = duplicate_socket(socket);
    if (!watcher) return;
    const std::uint64_t id = hub.next_subscriber_id.fetch_add(1);
    if (!send_all(socket, HELLO)) return;

    add_subscriber(hub, Subscriber{{}, {}, std::move(socket), id, parse_binding(query)});
    stamp_last_seen(hub, Clock::now());

    // The page never sends on a stream: data, end of stream or an error all
    // mean it is gone. Windows does not promise that the poll thread's
    // shutdown of a dropped subscriber wakes this handle (its FIN waits for
    // data the stalled peer never acknowledges), so the watch also ends once
    // the record has left the list.
    wait_for_end(std::move(*watcher), WATCH_SLICE, [&] { return is_subscribed(hub, id); });

    remove_subscriber(hub, id);
    stamp_last_seen(hub, Clock::now());
}

}  // namespace vantrel
