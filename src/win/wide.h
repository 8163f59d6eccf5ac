// UTF-8 <-> UTF-16 for every string that crosses into the system.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// UTF-8 text to UTF-16 units; c_str() supplies the terminating zero unit.
// Invalid UTF-8 becomes U+FFFD first.
std::u16string to_wide(std::string_view text);

// UTF-16 units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string from_wide(std::u16string_view units);

#ifdef _WIN32
// The system's wide strings are UTF-16 code units.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline const wchar_t* wide_ptr(const std::u16string& units) { return reinterpret_cast<const wchar_t*>(units.c_str()); }
#endif

}  // namespace vantrel
