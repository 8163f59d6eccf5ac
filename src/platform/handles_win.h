// Move-only owners for the Windows handle kinds the program uses.
#pragma once

#include "platform/owned.h"

#include <windows.h>

namespace vantrel {

using RegistryKey = Owned<HKEY, RegCloseKey>;
using PopupMenu = Owned<HMENU, DestroyMenu>;
using KernelHandle = Owned<HANDLE, CloseHandle>;
using IconImage = Owned<HICON, DestroyIcon>;

}  // namespace vantrel
