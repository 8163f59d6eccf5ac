#include "win/tray_icon_win.h"

#include "platform/system_library_win.h"
#include "win/tooltip.h"
#include "win/window_state_win.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace vantrel {

namespace {

// The small-icon size at `dpi` (0: the window's). Both entries exist from
// Windows 10 version 1607 on only, so they are looked up: imported, they
// would keep the exe from starting on older Windows 10, where the system's
// own small-icon size serves.
int small_icon_size(HWND window, UINT dpi) {
    static UINT(WINAPI * dpi_for_window)(HWND) = nullptr;
    static int(WINAPI * metrics_for_dpi)(int, UINT) = nullptr;
    static const bool found = [] {
        HMODULE user = load_system_library(L"user32.dll");
        return find_entry(user, "GetDpiForWindow", dpi_for_window) &&
               find_entry(user, "GetSystemMetricsForDpi", metrics_for_dpi);
    }();
    if (!found) return GetSystemMetrics(SM_CXSMICON);
    return metrics_for_dpi(SM_CXSMICON, dpi != 0 ? dpi : dpi_for_window(window));
}

// Makes APP_ICON at today's size and hands back the image it replaces, which
// the caller lets go only once the shell has the new one.
IconImage remake_icon(HWND window, UINT dpi) {
    int size = small_icon_size(window, dpi);
    HANDLE image =
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ICON_RESOURCE), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
    if (!image) return IconImage();  // the old one stays in use
    return std::exchange(APP_ICON, IconImage(static_cast<HICON>(image)));
}

}  // namespace

BOOL set_tray_icon(HWND window, DWORD operation, bool connected) {
    NOTIFYICONDATAW record{};
    // The shell reads the record by its size: 976 is the whole record of
    // current Windows (through hBalloonIcon), so no field is read short.
    static_assert(sizeof record == 976);
    record.cbSize = sizeof record;
    record.hWnd = window;
    record.uID = TRAY_ICON_ID;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = TRAY_CALLBACK_MESSAGE;
    record.hIcon = APP_ICON.get();
    std::u16string tip = tooltip_units(tooltip_text(connected));
    std::copy(tip.begin(), tip.end(), record.szTip);
    return Shell_NotifyIconW(operation, &record);
}

bool add_tray_icon(HWND window, bool connected) {
    // The display's scale may have changed since the last add (the shell
    // sends "TaskbarCreated" then too).
    IconImage previous = remake_icon(window, 0);
    return set_tray_icon(window, NIM_ADD, connected) || set_tray_icon(window, NIM_MODIFY, connected);
}

void follow_scale(HWND window, UINT dpi, bool connected) {
    IconImage previous = remake_icon(window, dpi);
    if (TRAY_ICON_SHOWN) set_tray_icon(window, NIM_MODIFY, connected);
}

}  // namespace vantrel
