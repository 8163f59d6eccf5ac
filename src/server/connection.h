#pragma once

#include "server/hub.h"
#include "platform/platform.h"

#include <chrono>
#include <cstddef>
#include <memory>

namespace vantrel {

inline constexpr std::uint16_t SERVER_PORT = 47321;
inline constexpr int LISTEN_BACKLOG = 128;
// A page uses one or two connections; the cap keeps a flood of local clients
// from costing a thread each until thread creation fails, which is fatal.
inline constexpr std::size_t MAX_CONNECTIONS = 256;
inline constexpr std::chrono::milliseconds ACCEPT_RETRY_PAUSE{20};

// Accepts forever, one detached thread per connection.
[[noreturn]] void accept_loop(Socket listener, std::shared_ptr<HubState> hub);

// One turn of the accept loop: accepts one connection and starts its thread,
// closes it unanswered past MAX_CONNECTIONS, or pauses after a failed accept.
void accept_next(const Socket& listener, const std::shared_ptr<HubState>& hub);

// One request, or one whole subscription.
void handle_connection(std::shared_ptr<HubState> hub, Socket socket);

}  // namespace vantrel
