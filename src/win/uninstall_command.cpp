#include "win/uninstall_command.h"

namespace vantrel {

std::string uninstall_command_line() {
    // /s: cmd drops exactly the outer pair of quotes after /c, whatever the
    // line holds, so the two quoted paths inside keep theirs.
    std::string line = "\"";
    line += COMMAND_INTERPRETER;
    line += "\" /d /v:off /s /c \"\"%";
    line += PAUSE_PATH_VARIABLE;
    line += "%\" -n 3 127.0.0.1 >nul & del /f /q \"%";
    line += REMOVE_PATH_VARIABLE;
    line += "%\"\"";
    return line;
}

}  // namespace vantrel
