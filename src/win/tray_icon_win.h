// The tray icon itself, as the shell holds it.
#pragma once

#include <windows.h>

namespace vantrel {

inline constexpr UINT TRAY_CALLBACK_MESSAGE = WM_APP + 1;
inline constexpr UINT TRAY_ICON_ID = 1;
inline constexpr int ICON_RESOURCE = 1;

// NIM_ADD, NIM_MODIFY or NIM_DELETE with the tooltip for `connected`.
BOOL set_tray_icon(HWND window, DWORD operation, bool connected);

// Adds the icon, its image made at the current small-icon size; true once
// the shell has it. A busy shell (at logon) can
// refuse with a time-out and still add it later, so a refused add is followed
// by a modify, which succeeds exactly when the icon exists.
bool add_tray_icon(HWND window, bool connected);

// The window's scale is now `dpi`: the image is made again at its size and,
// if the shell shows the icon, handed over.
void follow_scale(HWND window, UINT dpi, bool connected);

}  // namespace vantrel
