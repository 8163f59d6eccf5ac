#include "win/uninstall_command.h"

namespace vantrel {

std::string uninstall_arguments() {
    // /s: cmd drops exactly the outer pair of quotes after /c, whatever the
    // line holds, so the two quoted paths inside keep theirs.
    std::string arguments = "/d /v:off /s /c \"\"%";
    arguments += PAUSE_PATH_VARIABLE;
    arguments += "%\" -n 3 127.0.0.1 >nul & del /f /q \"%";
    arguments += REMOVE_PATH_VARIABLE;
    arguments += "%\"\"";
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
