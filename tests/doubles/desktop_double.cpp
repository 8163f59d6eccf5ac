// The end-to-end tests' hands on the desktop: a game window that takes the
// foreground and presses keys, and clicks on the program's tray icon.
//   desktop_double game <class> <title>   then stdin lines: down <vk> | up <vk>
//   desktop_double tray <lparam>          posts the tray callback message
//   desktop_double menu-last              opens the tray menu and picks its last item
//   desktop_double close                  posts a close message, as taskkill without /F does
//   desktop_double fake-shell <ms>        plays a restarted shell: owns the tray window,
//                                         announces "TaskbarCreated" and prints every
//                                         tray call it then receives
//                                         ("tray <operation> <icon width>", or "refused
//                                         <operation>" for a call on a missing icon)
//   desktop_double fake-shell <ms> busy   plays a shell busy at logon: prints "ready",
//                                         announces nothing and refuses the first add
//   desktop_double pad-pipe               serves the test PlayStation controller (see
//                                         hid_double.cpp); stdin lines: a report's bytes
//                                         in hex, or "unplug"; answers "ok" to each
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr UINT TRAY_CALLBACK = WM_APP + 1;

void press(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int game(const wchar_t* class_name, const wchar_t* title) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = class_name;
    RegisterClassW(&window_class);
    HWND window = CreateWindowExW(0, class_name, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                                  nullptr, window_class.hInstance, nullptr);
    SetForegroundWindow(window);
    pump();
    std::printf("ready\n");
    std::fflush(stdout);
    char line[128];
    while (std::fgets(line, sizeof line, stdin)) {
        unsigned key = 0;
        if (std::sscanf(line, "down %x", &key) == 1)
            press(static_cast<WORD>(key), true);
        else if (std::sscanf(line, "up %x", &key) == 1)
            press(static_cast<WORD>(key), false);
        pump();
        std::printf("ok\n");
        std::fflush(stdout);
    }
    return 0;
}

// Wine's shell32 hands the tray record over as its own flat layout, with the
// icon's bitmap size after the GUID: this many bytes in.
constexpr DWORD WINE_TRAY_ICON_WIDTH_AT = 944;

// Like a real shell it holds at most one icon (the program's), and a busy one
// refuses the first add.
bool has_icon = false;
bool refuse_next_add = false;

LRESULT CALLBACK shell_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<COPYDATASTRUCT*>(lparam);
        UINT width = 0;
        if (data->cbData >= WINE_TRAY_ICON_WIDTH_AT + sizeof width)
            std::memcpy(&width, static_cast<const char*>(data->lpData) + WINE_TRAY_ICON_WIDTH_AT, sizeof width);
        const auto operation = static_cast<unsigned long>(data->dwData);
        bool accepted = operation == NIM_ADD ? !has_icon && !std::exchange(refuse_next_add, false) : has_icon;
        if (accepted) has_icon = operation != NIM_DELETE;
        if (accepted)
            std::printf("tray %lu %u\n", operation, width);
        else
            std::printf("refused %lu\n", operation);
        std::fflush(stdout);
        return accepted;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int fake_shell(DWORD listen_ms, bool busy) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = shell_proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&window_class);
    CreateWindowExW(0, L"Shell_TrayWnd", L"", 0, 0, 0, 0, 0, nullptr, nullptr, window_class.hInstance, nullptr);
    refuse_next_add = busy;
    if (busy) {
        std::printf("ready\n");
        std::fflush(stdout);
    } else {
        PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    }
    DWORD until = GetTickCount() + listen_ms;
    while (GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        pump();
    }
    return 0;
}

constexpr wchar_t PAD_PIPE[] = L"\\\\.\\pipe\\vantrel-test-pad";
constexpr DWORD PAD_REPORT_BYTES = 64;
std::mutex pad_lock;
std::vector<HANDLE> pad_readers;
bool pad_unplugged = false;

// Each keeps one pipe instance waiting; with several, the program's look at
// the device and its open right after it both find one.
DWORD WINAPI serve_pad_readers(LPVOID listening) {
    for (;;) {
        HANDLE pipe = CreateNamedPipeW(PAD_PIPE, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_MESSAGE | PIPE_WAIT,
                                       PIPE_UNLIMITED_INSTANCES, 4096, 0, 0, nullptr);
        SetEvent(static_cast<HANDLE>(listening));
        if (pipe == INVALID_HANDLE_VALUE) return 1;
        if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) {
            CloseHandle(pipe);
            continue;
        }
        std::lock_guard lock(pad_lock);
        if (pad_unplugged)
            CloseHandle(pipe);
        else
            pad_readers.push_back(pipe);
    }
}

int pad_pipe() {
    HANDLE listening = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (int n = 0; n < 4; ++n) CreateThread(nullptr, 0, serve_pad_readers, listening, 0, nullptr);
    WaitForSingleObject(listening, INFINITE);
    std::printf("ready\n");
    std::fflush(stdout);
    char line[512];
    while (std::fgets(line, sizeof line, stdin)) {
        std::lock_guard lock(pad_lock);
        unsigned char report[PAD_REPORT_BYTES] = {};
        pad_unplugged = std::strncmp(line, "unplug", 6) == 0;
        char* at = line;
        for (DWORD n = 0; n < PAD_REPORT_BYTES && !pad_unplugged; ++n) report[n] = std::strtoul(at, &at, 16);
        for (auto reader = pad_readers.begin(); reader != pad_readers.end();) {
            DWORD written = 0;
            if (pad_unplugged || !WriteFile(*reader, report, PAD_REPORT_BYTES, &written, nullptr)) {
                CloseHandle(*reader);
                reader = pad_readers.erase(reader);
            } else {
                ++reader;
            }
        }
        std::printf("ok\n");
        std::fflush(stdout);
    }
    return 0;
}

// Holds a file open without delete sharing, as a program still running from
// it or a scanner would, until standard input ends (the exit lets it go).
int hold(const wchar_t* path) {
    if (CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr) == INVALID_HANDLE_VALUE)
        return 1;
    std::printf("held\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}

// The popup menu's window (its class is the system's "#32768"), visible.
bool wait_for_menu() {
    for (DWORD waited = 0; waited < 10000; waited += 20) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu && IsWindowVisible(menu)) return true;
        Sleep(20);
    }
    return false;
}

HWND program_window() { return FindWindowW(L"Vantrel", nullptr); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"game") return game(argv[2], argv[3]);
    if (argc == 2 && std::wstring(argv[1]) == L"pad-pipe") return pad_pipe();
    if (argc == 3 && std::wstring(argv[1]) == L"hold") return hold(argv[2]);
    if ((argc == 3 || (argc == 4 && std::wstring(argv[3]) == L"busy")) && std::wstring(argv[1]) == L"fake-shell")
        return fake_shell(std::wcstoul(argv[2], nullptr, 0), argc == 4);
    HWND window = program_window();
    if (!window) return 2;
    if (argc == 3 && std::wstring(argv[1]) == L"tray") {
        PostMessageW(window, TRAY_CALLBACK, 0, static_cast<LPARAM>(std::wcstoul(argv[2], nullptr, 0)));
        return 0;
    }
    if (argc == 2 && std::wstring(argv[1]) == L"close") {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (argc == 2 && std::wstring(argv[1]) == L"menu-last") {
        PostMessageW(window, TRAY_CALLBACK, 0, WM_RBUTTONUP);
        if (!wait_for_menu()) return 3;
        press(VK_UP, true);
        press(VK_UP, false);
        press(VK_RETURN, true);
        press(VK_RETURN, false);
        return 0;
    }
    return 1;
}
