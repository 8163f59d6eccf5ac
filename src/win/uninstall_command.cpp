#include "win/uninstall_command.h"

namespace vantrel {

std::string uninstall_command_line() {
    // /v:on and !name!: a path is read as each command runs, after cmd has
    // parsed the line, so nothing in it (%, !, &, ^, parentheses) is syntax.
    // The attempts are written out rather than looped: FOR substitutes its
    // variable in text an expansion produced (Wine's cmd even in !-expanded
    // text), so a folder such as "50%icons" would become "501cons". /s: cmd
    // drops exactly the outer pair of quotes after /c, so the quoted paths
    // inside keep theirs. "ping -n 2" waits about a second.
    const std::string pause = "\"!" + std::string(PAUSE_PATH_VARIABLE) + "!\"";
    const std::string file = "\"!" + std::string(REMOVE_PATH_VARIABLE) + "!\"";
    std::string line = "\"";
    line += COMMAND_INTERPRETER;
    line += "\" /d /v:on /s /c \"" + pause + " -n 3 127.0.0.1 >nul";
    for (int attempt = 0; attempt < REMOVE_ATTEMPTS; ++attempt)
        line += " & del /f /q " + file + " >nul 2>&1 & if exist " + file + " " + pause + " -n 2 127.0.0.1 >nul";
    return line + "\"";
}

}  // namespace vantrel
