#pragma once

#include "hub.h"
#include "platform.h"

#include <memory>

namespace vantrel {

inline constexpr std::uint16_t SERVER_PORT = 47321;
inline constexpr int LISTEN_BACKLOG = 128;

// Accepts forever, one detached thread per connection.
[[noreturn]] void accept_loop(Socket listener, std::shared_ptr<HubState> hub);

// One request, or one whole subscription.
void handle_connection(std::shared_ptr<HubState> hub, Socket socket);

}  // namespace vantrel
