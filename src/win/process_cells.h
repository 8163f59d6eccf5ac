// Process-wide cells, written by start-up on the main thread before the
// window exists and read only on the main thread afterwards.
#pragma once

#include "server/hub.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

namespace vantrel {

extern std::shared_ptr<HubState> HUB;
extern std::optional<Instant> START_INSTANT;  // set after a direct start only
extern HICON APP_ICON;
extern std::atomic<std::uint64_t> LAST_SUBSCRIBER_COUNT;
extern bool TRAY_ICON_SHOWN;  // the shell has our icon; until then the timer adds it

}  // namespace vantrel
