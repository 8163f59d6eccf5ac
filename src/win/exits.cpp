#include "win/exits.h"

#include "server/site.h"
#include "win/tray_icon.h"
#include "win/wide.h"

#include <shellapi.h>

namespace vantrel {

void open_tracker_page() {
    ShellExecuteW(nullptr, to_wide("open").c_str(), to_wide(TRACKER_URL).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void leave_program(HWND window) {
    set_tray_icon(window, NIM_DELETE, false);
    PostQuitMessage(0);
}

}  // namespace vantrel
