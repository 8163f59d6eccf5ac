#include "win/uninstall_win.h"

#include "platform/handles_win.h"
#include "platform/wide_win.h"
#include "win/exits_win.h"
#include "win/scheme.h"
#include "win/uninstall_command.h"
#include "win/url_scheme_win.h"

#include <optional>
#include <string>

namespace vantrel {

namespace {

std::optional<std::wstring> system_folder() {
    return read_system_text([](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        return GetSystemDirectoryW(buffer, static_cast<UINT>(capacity));  // the size needed when cut
    });
}

std::wstring in_folder(const std::wstring& folder, std::string_view name) { return folder + L"\\" + to_wide(name); }

// Only the system's own programs, run in the system folder: the program
// usually sits in Downloads, where any download can leave a cmd.exe or a
// ping.exe beside it, and the page can trigger the uninstall.
void start_self_removal(const std::wstring& program_path) {
    std::optional<std::wstring> system = system_folder();
    if (!system) return;
    if (!SetEnvironmentVariableW(to_wide(REMOVE_PATH_VARIABLE).c_str(), program_path.c_str()) ||
        !SetEnvironmentVariableW(to_wide(PAUSE_PATH_VARIABLE).c_str(), in_folder(*system, PAUSE_PROGRAM).c_str()))
        return;
    std::wstring application = in_folder(*system, COMMAND_INTERPRETER);
    const std::wstring& directory = *system;
    std::wstring command_line = to_wide(uninstall_command_line());  // writable copy
    auto start = [&](DWORD flags) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(application.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                            flags | CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, nullptr, directory.c_str(), &startup,
                            &process))
            return false;
        KernelHandle owned_process(process.hProcess);
        KernelHandle owned_thread(process.hThread);
        return true;
    };
    // Out of our job, if we are in one: a launcher's job that ends its
    // processes when it closes would end the removal with us. A job that
    // forbids breaking away refuses the start; then it runs inside.
    if (!start(CREATE_BREAKAWAY_FROM_JOB)) start(0);
}

}  // namespace

void uninstall(HWND window) {
    RegDeleteTreeW(HKEY_CURRENT_USER, to_wide(scheme_key()).c_str());
    // A cut path could name another file: then the file stays. A program
    // still ending while a busy shell holds the icon's removal only costs
    // the removal a retry.
    if (std::optional<std::wstring> path = exe_path()) start_self_removal(*path);
    leave_program(window);
}

}  // namespace vantrel
