// The one-second timer of the hidden window.
#pragma once

#include <windows.h>

namespace vantrel {

// The one-second policies: tooltip, auto-open, uninstall request, idle exit.
void on_timer(HWND window);

}  // namespace vantrel
