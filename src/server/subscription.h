#pragma once

#include "server/hub.h"
#include "platform/platform.h"

#include <chrono>
#include <string_view>

namespace vantrel {

inline constexpr std::chrono::milliseconds STREAM_SEND_TIMEOUT{1000};
// How long the watcher waits before it looks whether its record is still listed.
inline constexpr std::chrono::milliseconds WATCH_SLICE{1000};

// Writes the stream head and hello, registers the subscriber, then waits
// until its client goes away and removes it.
void subscribe(Socket socket, HubState& hub, std::string_view origin, std::string_view query);

}  // namespace vantrel
