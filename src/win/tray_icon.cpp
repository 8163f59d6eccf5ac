#include "win/tray_icon.h"

#include "win/tooltip.h"
#include "win/window_state.h"

#include <shellapi.h>

#include <algorithm>

namespace vantrel {

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
    // sends "TaskbarCreated" then too): the image is made at today's size.
    int size = GetSystemMetricsForDpi(SM_CXSMICON, GetDpiForWindow(window));
    if (HANDLE image = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ICON_RESOURCE), IMAGE_ICON, size, size,
                                  LR_DEFAULTCOLOR))
        APP_ICON = IconImage(static_cast<HICON>(image));
    return set_tray_icon(window, NIM_ADD, connected) || set_tray_icon(window, NIM_MODIFY, connected);
}

}  // namespace vantrel
