// The hidden window, its tray icon and menu.
#pragma once

#include <windows.h>

#include <string_view>

namespace vantrel {

inline constexpr std::wstring_view WINDOW_CLASS = L"Vantrel";
inline constexpr UINT TRAY_CALLBACK_MESSAGE = WM_APP + 1;
inline constexpr UINT TRAY_ICON_ID = 1;
inline constexpr UINT_PTR CMD_OPEN_TRACKER = 1;
inline constexpr UINT_PTR CMD_QUIT = 2;
inline constexpr UINT_PTR CMD_UNINSTALL = 3;

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// NIM_ADD, NIM_MODIFY or NIM_DELETE with the tooltip for `connected`.
BOOL set_tray_icon(HWND window, DWORD operation, bool connected);

// Adds the icon; true once the shell has it. A busy shell (at logon) can
// refuse with a time-out and still add it later, so a refused add is followed
// by a modify, which succeeds exactly when the icon exists.
bool add_tray_icon(HWND window, bool connected);

void open_tracker_page();

// The one way out: removes the icon and ends the message loop.
void leave_program(HWND window);

}  // namespace vantrel
