#include "win/uninstall_command.h"

namespace vantrel {

std::string uninstall_command_line() {
    const std::string pause = "\"%" + std::string(PAUSE_PATH_VARIABLE) + "%\"";
    const std::string file = "\"%" + std::string(REMOVE_PATH_VARIABLE) + "%\"";
    // /s: cmd drops exactly the outer pair of quotes after /c, whatever the
    // line holds, so the quoted paths inside keep theirs. The loop's body
    // stands in parentheses: Wine's cmd never runs a bare "if" body there.
    // "ping -n 2" waits about a second.
    std::string line = "\"";
    line += COMMAND_INTERPRETER;
    line += "\" /d /v:off /s /c \"" + pause + " -n 3 127.0.0.1 >nul & ";
    line += "for /l %i in (1,1," + std::to_string(REMOVE_ATTEMPTS) + ") do (";
    line += "if exist " + file + " (del /f /q " + file + " >nul 2>&1 & ";
    line += "if exist " + file + " " + pause + " -n 2 127.0.0.1 >nul))\"";
    return line;
}

}  // namespace vantrel
