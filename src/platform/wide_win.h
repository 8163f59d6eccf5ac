// The system's wide strings, UTF-16 in wchar_t, to and from the portable
// text module: the only place the two unit types meet.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// UTF-8 to the system's units; c_str() supplies the terminating zero unit.
std::wstring to_wide(std::string_view text);

// The system's units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string from_wide(std::wstring_view units);

// The system's units seen as UTF-16, and back, without a copy.
std::u16string_view as_utf16(std::wstring_view units);
std::wstring_view as_wide(std::u16string_view units);

// A whole text from a system call that cuts it to the buffer: `fill(buffer,
// capacity)` returns the units written, capacity or more when it cut the
// text, or 0 on failure. The buffer grows until the whole text fits; none on
// failure or past the longest path the system knows (32767 units). It stays
// in the system's units: a path may hold an unpaired surrogate, which no
// UTF-8 text can carry.
std::optional<std::wstring> read_system_text(const std::function<std::size_t(wchar_t*, std::size_t)>& fill);

}  // namespace vantrel
