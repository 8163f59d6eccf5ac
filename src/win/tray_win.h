// The hidden window: tray clicks, the menu, and the messages that end it.
#pragma once

#include <windows.h>

#include <string_view>

namespace vantrel {

inline constexpr std::wstring_view WINDOW_CLASS = L"Vantrel";
inline constexpr UINT_PTR CMD_OPEN_TRACKER = 1;
inline constexpr UINT_PTR CMD_QUIT = 2;
inline constexpr UINT_PTR CMD_UNINSTALL = 3;

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace vantrel
