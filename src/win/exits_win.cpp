#include "win/exits_win.h"

#include "platform/wide_win.h"
#include "server/site.h"
#include "win/tray_icon_win.h"

#include <objbase.h>
#include <shellapi.h>

namespace vantrel {

void open_tracker_page() {
    // The shell may hand the page to COM handlers, which need an apartment on
    // the calling thread (always the window's). Made at the first open, not
    // at start-up: most runs never open the page.
    [[maybe_unused]] static const HRESULT apartment =
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteW(nullptr, to_wide("open").c_str(), to_wide(TRACKER_URL).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void leave_program(HWND window) {
    set_tray_icon(window, NIM_DELETE, false);
    PostQuitMessage(0);
}

}  // namespace vantrel
