// UTF-8 <-> UTF-16 for every string that crosses into the system.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// UTF-8 text to UTF-16 units; c_str() supplies the terminating zero unit.
// Invalid UTF-8 becomes U+FFFD first.
std::u16string to_wide(std::string_view text);

// UTF-16 units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string from_wide(std::u16string_view units);

// Text from a system call that cuts it to fit the buffer. `fill(buffer,
// capacity)` returns the units written, or capacity or more when the text
// was cut, or 0 on failure; the buffer grows until the whole text fits. None
// on failure or past the longest path the system knows (32767 units).
std::optional<std::u16string> read_whole(const std::function<std::size_t(char16_t*, std::size_t)>& fill);

#ifdef _WIN32
// The system's wide strings are UTF-16 code units.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline const wchar_t* wide_ptr(const std::u16string& units) { return reinterpret_cast<const wchar_t*>(units.c_str()); }
#endif

}  // namespace vantrel
