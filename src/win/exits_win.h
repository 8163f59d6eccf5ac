// Where the program sends the player: the tracker page, or out.
#pragma once

#include <windows.h>

namespace vantrel {

void open_tracker_page();

// The one way out: removes the icon and ends the message loop.
void leave_program(HWND window);

}  // namespace vantrel
