// Typed entry points from libraries loaded from the system folder only: the
// standard search looks beside the program first, where any download can
// leave a library of that name. No library is ever released.
#pragma once

#include <windows.h>

namespace vantrel {

inline HMODULE load_system_library(const wchar_t* name) {
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// False, and `entry` null, when the library or the entry is missing.
template <typename Entry>
bool find_entry(HMODULE library, const char* name, Entry& entry) {
    FARPROC found = library ? GetProcAddress(library, name) : nullptr;
    entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(found));
    return entry != nullptr;
}

}  // namespace vantrel
