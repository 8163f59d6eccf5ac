#include "uninstall_command.h"

namespace vantrel {

std::string uninstall_arguments(std::string_view program_path) {
    return "/d /c ping -n 3 127.0.0.1 >nul & del /f /q \"" + std::string(program_path) + "\"";
}

std::string uninstall_command_line(std::string_view program_path) {
    std::string line = "\"";
    line += COMMAND_INTERPRETER;
    line += "\" ";
    line += uninstall_arguments(program_path);
    return line;
}

std::vector<std::string> interpreter_search_dirs(std::string_view program_path, std::string_view system_dir,
                                                 std::string_view windows_dir, std::string_view path_variable) {
    std::vector<std::string> dirs;
    std::size_t slash = program_path.find_last_of("\\/");
    if (slash != std::string_view::npos) dirs.emplace_back(program_path.substr(0, slash));
    if (!system_dir.empty()) dirs.emplace_back(system_dir);
    if (!windows_dir.empty()) dirs.emplace_back(windows_dir);
    while (!path_variable.empty()) {
        std::size_t end = path_variable.find(';');
        std::string_view entry = path_variable.substr(0, end);
        if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"') entry = entry.substr(1, entry.size() - 2);
        if (!entry.empty()) dirs.emplace_back(entry);
        if (end == std::string_view::npos) break;
        path_variable.remove_prefix(end + 1);
    }
    return dirs;
}

std::optional<std::string> find_interpreter(const std::vector<std::string>& dirs,
                                            const std::function<bool(const std::string&)>& exists) {
    for (const std::string& dir : dirs) {
        std::string candidate = dir;
        if (!candidate.empty() && candidate.back() != '\\' && candidate.back() != '/') candidate += '\\';
        candidate += COMMAND_INTERPRETER;
        if (exists(candidate)) return candidate;
    }
    return std::nullopt;
}

}  // namespace vantrel
