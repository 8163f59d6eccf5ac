// What the window procedure and the timer work on: the hub, the tray icon's
// image and whether the shell has it, the subscriber count last shown, and
// the instant of a direct start. Start-up writes them on the main thread;
// afterwards only the main thread touches them.
#pragma once

#include "platform/handles_win.h"
#include "server/hub.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace vantrel {

extern std::shared_ptr<HubState> HUB;
extern std::optional<Instant> START_INSTANT;  // set after a direct start only
extern IconImage APP_ICON;                    // at the size of the last add
extern std::uint64_t LAST_SUBSCRIBER_COUNT;   // as the tooltip shows it
extern bool TRAY_ICON_SHOWN;                  // the shell has our icon; until then the timer adds it

}  // namespace vantrel
