#include "win/window_state_win.h"

namespace vantrel {

std::shared_ptr<HubState> HUB;
std::optional<Instant> START_INSTANT;
IconImage APP_ICON;
std::uint64_t LAST_SUBSCRIBER_COUNT = 0;
bool TRAY_ICON_SHOWN = false;

}  // namespace vantrel
