#include "tray.h"

#include "cells.h"
#include "handles.h"
#include "timer.h"
#include "tooltip.h"
#include "uninstall.h"
#include "wide.h"
#include "../server/routes.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

namespace vantrel {

namespace {

constexpr UINT MENU_FLAGS = TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON;

void append_item(HMENU menu, UINT_PTR id, std::string_view text) {
    std::u16string wide = to_wide(text);
    AppendMenuW(menu, MF_STRING, id, wide_ptr(wide));
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

BOOL set_tray_icon(HWND window, DWORD operation, bool connected) {
    NOTIFYICONDATAW record{};
    static_assert(sizeof record == 976);
    record.cbSize = sizeof record;
    record.hWnd = window;
    record.uID = TRAY_ICON_ID;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = TRAY_CALLBACK_MESSAGE;
    record.hIcon = APP_ICON;
    copy_tooltip(tooltip_text(connected), reinterpret_cast<char16_t*>(record.szTip));
    return Shell_NotifyIconW(operation, &record);
}

void leave_program(HWND window) {
    set_tray_icon(window, NIM_DELETE, false);
    PostQuitMessage(0);
}

void open_tracker_page() {
    std::u16string verb = to_wide("open");
    std::u16string url = to_wide(TRACKER_URL);
    ShellExecuteW(nullptr, wide_ptr(verb), wide_ptr(url), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!HUB) {
        std::fputs("window message before the hub exists\n", stderr);
        std::_Exit(EXIT_FAILURE);
    }
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
    if (message == taskbar_created_message() && message != 0) {
        set_tray_icon(window, NIM_ADD, LAST_SUBSCRIBER_COUNT.load() != 0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace vantrel
