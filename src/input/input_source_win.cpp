#include "input/input_source_win.h"

#include "input/any_pad.h"

#include "input/game_window.h"
#include "platform/system_library_win.h"
#include "platform/wide_win.h"

#include <windows.h>

#include <array>

namespace vantrel {

namespace {

constexpr std::array<const wchar_t*, 2> XINPUT_LIBRARIES = {L"xinput1_4.dll", L"xinput9_1_0.dll"};
constexpr int WINDOW_TEXT_UNITS = 256;

std::string window_text(HWND window, int(WINAPI* query)(HWND, LPWSTR, int)) {
    wchar_t buffer[WINDOW_TEXT_UNITS] = {};
    int units = query(window, buffer, WINDOW_TEXT_UNITS);
    if (units <= 0) return {};
    return from_wide(std::wstring_view(buffer, units > WINDOW_TEXT_UNITS ? WINDOW_TEXT_UNITS : units));
}

}  // namespace

GetStateFn find_controller_entry() {
    GetStateFn entry = nullptr;
    for (const wchar_t* name : XINPUT_LIBRARIES) {
        if (find_entry(load_system_library(name), "XInputGetState", entry)) break;
    }
    return entry;
}

InputSample WinInputSource::read_pad() { return read_any_pad(xinput_, *playstation_, Clock::now()); }

bool WinInputSource::key_down(std::uint32_t key_code) {
    return (static_cast<std::uint16_t>(GetAsyncKeyState(static_cast<int>(key_code))) & 0x8000) != 0;
}

bool WinInputSource::game_focused() {
    HWND window = GetForegroundWindow();
    if (!window) return false;
    std::string class_name = window_text(window, GetClassNameW);
    std::string title = window_text(window, GetWindowTextW);
    return is_game_window(class_name, title);
}

}  // namespace vantrel
