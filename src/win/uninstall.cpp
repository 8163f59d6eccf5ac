#include "uninstall.h"

#include "handles.h"
#include "scheme.h"
#include "tray.h"
#include "uninstall_command.h"
#include "url_scheme.h"
#include "wide.h"

#include <string>
#include <vector>

namespace vantrel {

namespace {

using DirectoryQuery = UINT(WINAPI*)(LPWSTR, UINT);

std::string system_folder(DirectoryQuery query) {
    char16_t buffer[MAX_PATH] = {};
    UINT units = query(reinterpret_cast<wchar_t*>(buffer), MAX_PATH);
    return units > 0 && units < MAX_PATH ? from_wide(std::u16string_view(buffer, units)) : std::string();
}

std::string path_variable() {
    DWORD units = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (units == 0) return {};
    std::u16string buffer(units, u'\0');
    units = GetEnvironmentVariableW(L"PATH", reinterpret_cast<wchar_t*>(buffer.data()), units);
    buffer.resize(units < buffer.size() ? units : 0);
    return from_wide(buffer);
}

bool is_file(const std::string& path) {
    DWORD attributes = GetFileAttributesW(wide_ptr(to_wide(path)));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void start_self_removal(const std::string& program_path) {
    std::optional<std::string> interpreter =
        find_interpreter(interpreter_search_dirs(program_path, system_folder(GetSystemDirectoryW),
                                                 system_folder(GetWindowsDirectoryW), path_variable()),
                         is_file);
    if (!interpreter) return;
    std::u16string application = to_wide(*interpreter);
    std::u16string command_line = to_wide(uninstall_command_line(program_path));  // writable copy
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(wide_ptr(application), reinterpret_cast<wchar_t*>(command_line.data()), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup, &process)) {
        KernelHandle owned_process(process.hProcess);
        KernelHandle owned_thread(process.hThread);
    }
}

}  // namespace

void uninstall(HWND window) {
    RegDeleteTreeW(HKEY_CURRENT_USER, wide_ptr(to_wide(SCHEME_KEY)));
    start_self_removal(exe_path());
    set_tray_icon(window, NIM_DELETE, false);
    PostQuitMessage(0);
}

}  // namespace vantrel
