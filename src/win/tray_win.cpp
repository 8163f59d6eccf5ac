#include "win/tray_win.h"

#include "platform/handles_win.h"
#include "platform/wide_win.h"
#include "win/exits_win.h"
#include "win/timer_win.h"
#include "win/tray_icon_win.h"
#include "win/uninstall_win.h"
#include "win/window_state_win.h"

namespace vantrel {

namespace {

constexpr UINT MENU_FLAGS = TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON;

void append_item(HMENU menu, UINT_PTR id, std::string_view text) {
    AppendMenuW(menu, MF_STRING, id, to_wide(text).c_str());
}

void show_tray_menu(HWND window) {
    UINT_PTR chosen = 0;
    {
        PopupMenu menu(CreatePopupMenu());
        append_item(menu.get(), CMD_OPEN_TRACKER, "Open Chest tracker");
        append_item(menu.get(), CMD_UNINSTALL, "Uninstall");
        append_item(menu.get(), CMD_QUIT, "Quit");
        POINT cursor{0, 0};
        GetCursorPos(&cursor);
        // Without this the menu stays open when the user clicks elsewhere.
        SetForegroundWindow(window);
        chosen = static_cast<UINT_PTR>(TrackPopupMenu(menu.get(), MENU_FLAGS, cursor.x, cursor.y, 0, window, nullptr));
        PostMessageW(window, WM_NULL, 0, 0);
    }
    if (chosen == CMD_OPEN_TRACKER) {
        open_tracker_page();
    } else if (chosen == CMD_QUIT) {
        leave_program(window);
    } else if (chosen == CMD_UNINSTALL) {
        uninstall(window);
    }
}

// Explorer broadcasts this after it restarts; every tray icon must be added again.
UINT taskbar_created_message() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

}  // namespace

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!HUB) fatal("window message before the hub exists");
    if (message == WM_TIMER) {
        on_timer(window);
        return 0;
    }
    if (message == TRAY_CALLBACK_MESSAGE) {
        auto mouse = static_cast<UINT>(static_cast<DWORD>(lparam));
        if (mouse == WM_LBUTTONUP) open_tracker_page();
        if (mouse == WM_RBUTTONUP) show_tray_menu(window);
        return 0;
    }
    // A close request (taskkill) would otherwise destroy the window and its
    // timer and leave the process holding the port with no way out.
    if (message == WM_CLOSE || message == WM_DESTROY) {
        leave_program(window);
        return 0;
    }
    // Sent to a window that is never shown too, when the scale of its
    // display (the primary one) changes.
    if (message == WM_DPICHANGED) {
        follow_scale(window, LOWORD(wparam), LAST_SUBSCRIBER_COUNT != 0);
        return 0;
    }
    // A new shell (Explorer restarted) has no icons. 0 means the message
    // could not be registered, and no real message is 0 here.
    if (message == taskbar_created_message() && message != 0) {
        TRAY_ICON_SHOWN = add_tray_icon(window, LAST_SUBSCRIBER_COUNT != 0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace vantrel
