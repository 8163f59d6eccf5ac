// The uninstall: the registration, the program file and the icon go, then the program.
#pragma once

#include <windows.h>

namespace vantrel {

// Removes the registration, starts the command that deletes the program
// file after we have ended, removes the icon and quits.
void uninstall(HWND window);

}  // namespace vantrel
