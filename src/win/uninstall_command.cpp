#include "win/uninstall_command.h"

namespace vantrel {

std::string uninstall_arguments() {
    std::string arguments = "/d /v:off /c ping -n 3 127.0.0.1 >nul & del /f /q \"%";
    arguments += REMOVE_PATH_VARIABLE;
    arguments += "%\"";
    return arguments;
}

std::string uninstall_command_line() {
    std::string line = "\"";
    line += COMMAND_INTERPRETER;
    line += "\" ";
    line += uninstall_arguments();
    return line;
}

}  // namespace vantrel
