// The command that deletes the program file once it has ended.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

inline constexpr std::string_view COMMAND_INTERPRETER = "cmd.exe";

// "/d /c ping -n 3 127.0.0.1 >nul & del /f /q "<path>"": a pause of about
// two seconds while the program ends, then the deletion.
std::string uninstall_arguments(std::string_view program_path);

// The interpreter's name in quotes, a space, the arguments verbatim.
std::string uninstall_command_line(std::string_view program_path);

// The directories to search, in order: the program's, the system's, the
// Windows directory, then each entry of PATH.
std::vector<std::string> interpreter_search_dirs(std::string_view program_path, std::string_view system_dir,
                                                 std::string_view windows_dir, std::string_view path_variable);

// The first dir/cmd.exe for which `exists` holds.
std::optional<std::string> find_interpreter(const std::vector<std::string>& dirs,
                                            const std::function<bool(const std::string&)>& exists);

}  // namespace vantrel
