// The command that deletes the program file once the program has ended: a
// pause of about two seconds (ping), then del, tried again about once a
// second while the file is still there (its image still mapped, or a
// scanner holding it), for about 30 s. Both programs come from the system
// folder by full path: with a bare "ping", cmd would search its current
// folder and the user's PATH, and if none ran, del would start at once
// while the file is still in use.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view COMMAND_INTERPRETER = "cmd.exe";
inline constexpr std::string_view PAUSE_PROGRAM = "ping.exe";
// The child reads both paths from these variables, when each command runs:
// written into the command line, even inside quotes, a folder named like %OS%
// would be expanded too, and del would miss the program or hit another file.
inline constexpr std::string_view PAUSE_PATH_VARIABLE = "VANTREL_PING_PATH";
inline constexpr std::string_view REMOVE_PATH_VARIABLE = "VANTREL_REMOVE_PATH";
inline constexpr int REMOVE_ATTEMPTS = 30;

// The interpreter's name in quotes, then its arguments.
std::string uninstall_command_line();

}  // namespace vantrel
