// The command that deletes the program file once it has ended.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view COMMAND_INTERPRETER = "cmd.exe";
// The child reads the program's path from this variable, expanded once:
// written into the command line, even inside quotes, a folder named like
// %OS% would be expanded too, and del would miss the program or hit another
// file.
inline constexpr std::string_view REMOVE_PATH_VARIABLE = "VANTREL_REMOVE_PATH";

// "/d /v:off /c ping -n 3 127.0.0.1 >nul & del /f /q "%VANTREL_REMOVE_PATH%"":
// a pause of about two seconds while the program ends, then the deletion.
std::string uninstall_arguments();

// The interpreter's name in quotes, a space, the arguments verbatim.
std::string uninstall_command_line();

}  // namespace vantrel
