#include "win/process_cells.h"

namespace vantrel {

std::shared_ptr<HubState> HUB;
std::optional<Instant> START_INSTANT;
HICON APP_ICON = nullptr;
std::atomic<std::uint64_t> LAST_SUBSCRIBER_COUNT{~std::uint64_t{0}};
bool TRAY_ICON_SHOWN = false;

}  // namespace vantrel
