#include "win/timer_win.h"

#include "win/exits_win.h"
#include "win/timer_policy.h"
#include "win/tray_icon_win.h"
#include "win/uninstall_win.h"
#include "win/window_state_win.h"

namespace vantrel {

void on_timer(HWND window) {
    HubState& hub = *HUB;
    std::uint64_t count = subscriber_count(hub);
    // Recorded only once the shell took it: a refused change comes again
    // on the next tick.
    if (!TRAY_ICON_SHOWN) {
        TRAY_ICON_SHOWN = add_tray_icon(window, count != 0);
        if (TRAY_ICON_SHOWN) LAST_SUBSCRIBER_COUNT = count;
    } else if (count != LAST_SUBSCRIBER_COUNT && set_tray_icon(window, NIM_MODIFY, count != 0)) {
        LAST_SUBSCRIBER_COUNT = count;
    }

    if (count == 0 && START_INSTANT && in_auto_open_window(elapsed(*START_INSTANT, Clock::now()))) open_tracker_page();

    if (hub.uninstall_requested.load()) {
        uninstall(window);
        return;
    }
    if (is_idle(hub, Clock::now())) leave_program(window);
}

}  // namespace vantrel
