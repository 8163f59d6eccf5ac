// Start-up in its fixed order, then the message loop.
#include "input/hid_win.h"
#include "input/input_source_win.h"
#include "platform/platform.h"
#include "platform/wide_win.h"
#include "server/connection.h"
#include "server/hub.h"
#include "server/poll_loop.h"
#include "win/start_origin.h"
#include "win/tray_icon_win.h"
#include "win/tray_win.h"
#include "win/url_scheme_win.h"
#include "win/window_state_win.h"

#include <windows.h>

namespace vantrel {

namespace {

constexpr UINT_PTR TIMER_ID = 1;
constexpr UINT TIMER_PERIOD_MS = 1000;

int run() {
    // Before any call that loads libraries by name (shell, COM, sockets): the
    // program usually sits in Downloads, and the standard search looks
    // beside it first.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    register_url_scheme();

    if (!net_startup()) fatal("the socket library cannot be started");
    std::optional<Socket> listener = listen_loopback(SERVER_PORT, LISTEN_BACKLOG);
    if (!listener) return 0;  // another copy runs: end silently

    if (!started_through_scheme(as_utf16(GetCommandLineW()))) START_INSTANT = Clock::now();

    std::shared_ptr<HubState> hub = std::make_shared<HubState>(Clock::now());
    spawn_detached([listener = std::move(*listener), hub]() mutable { accept_loop(std::move(listener), hub); });

    auto playstation = std::make_shared<PsPad>();
    if (std::unique_ptr<HidSystem> hid = find_hid_system())
        spawn_detached([playstation, hid = std::move(hid)] { ps_reader_loop(*playstation, *hid); });
    std::unique_ptr<InputSource> input = std::make_unique<WinInputSource>(find_controller_entry(), playstation);
    spawn_detached([input = std::move(input), hub]() mutable { poll_loop(hub, std::move(input)); });

    HUB = std::move(hub);
    HINSTANCE module = GetModuleHandleW(nullptr);

    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = module;
    window_class.lpszClassName = WINDOW_CLASS.data();
    RegisterClassExW(&window_class);
    HWND window = CreateWindowExW(0, WINDOW_CLASS.data(), L"Vantrel", 0, 0, 0, 0, 0, nullptr, nullptr, module, nullptr);
    // Without the window or its timer nothing could ever end the program,
    // and it would hold the port for good.
    if (!window) fatal("cannot create the window: " + last_system_error());

    // The timer first: a fatal end leaves no icon behind.
    if (!SetTimer(window, TIMER_ID, TIMER_PERIOD_MS, nullptr)) fatal("cannot start the timer: " + last_system_error());
    // A taskbar that is missing or busy (at logon) is no reason to end: the
    // timer tries again every second, and a new taskbar's "TaskbarCreated"
    // brings the icon too.
    TRAY_ICON_SHOWN = add_tray_icon(window, false);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

}  // namespace vantrel

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return vantrel::run(); }
