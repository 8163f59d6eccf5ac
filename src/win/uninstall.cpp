#include "uninstall.h"

#include "handles.h"
#include "scheme.h"
#include "tray.h"
#include "uninstall_command.h"
#include "url_scheme.h"
#include "wide.h"

#include <optional>
#include <string>

namespace vantrel {

namespace {

std::optional<std::string> system_folder() {
    std::optional<std::u16string> folder = read_whole([](char16_t* buffer, std::size_t capacity) -> std::size_t {
        UINT units = GetSystemDirectoryW(reinterpret_cast<wchar_t*>(buffer), static_cast<UINT>(capacity));
        return units;  // the size needed, zero included, when it does not fit
    });
    if (!folder) return std::nullopt;
    return from_wide(*folder);
}

// Only the system's own interpreter, run in the system folder: the program
// usually sits in Downloads, where any download can leave a cmd.exe or a
// ping.exe beside it, and the page can trigger the uninstall.
void start_self_removal(const std::string& program_path) {
    std::optional<std::string> system = system_folder();
    if (!system) return;
    std::u16string variable = to_wide(REMOVE_PATH_VARIABLE);
    if (!SetEnvironmentVariableW(wide_ptr(variable), wide_ptr(to_wide(program_path)))) return;
    std::u16string application = to_wide(*system + "\\" + std::string(COMMAND_INTERPRETER));
    std::u16string directory = to_wide(*system);
    std::u16string command_line = to_wide(uninstall_command_line());  // writable copy
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(wide_ptr(application), reinterpret_cast<wchar_t*>(command_line.data()), nullptr, nullptr, FALSE,
                       CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, nullptr, wide_ptr(directory), &startup,
                       &process)) {
        KernelHandle owned_process(process.hProcess);
        KernelHandle owned_thread(process.hThread);
    }
}

}  // namespace

void uninstall(HWND window) {
    RegDeleteTreeW(HKEY_CURRENT_USER, wide_ptr(to_wide(SCHEME_KEY)));
    // A cut path could name another file: then the file stays.
    if (std::optional<std::string> path = exe_path()) start_self_removal(*path);
    leave_program(window);
}

}  // namespace vantrel
