// The command that deletes the program file once it has ended.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Both run from the system folder, named by full path.
inline constexpr std::string_view COMMAND_INTERPRETER = "cmd.exe";
inline constexpr std::string_view PAUSE_PROGRAM = "ping.exe";
// The child reads both paths from these variables, expanded once: written
// into the command line, even inside quotes, a folder named like %OS% would
// be expanded too, and del would miss the program or hit another file.
inline constexpr std::string_view PAUSE_PATH_VARIABLE = "VANTREL_PING_PATH";
inline constexpr std::string_view REMOVE_PATH_VARIABLE = "VANTREL_REMOVE_PATH";

// A pause of about two seconds while the program ends, then the deletion.
// With a bare "ping", cmd would look in its current folder and the user's
// PATH, and if none ran, del would start at once while the file is in use.
std::string uninstall_arguments();

// The interpreter's name in quotes, a space, the arguments verbatim.
std::string uninstall_command_line();

}  // namespace vantrel
