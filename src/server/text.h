// Text: UTF-8 decoding, UTF-16 conversion and Unicode white space, for the
// request parser and every string that crosses into the system.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Decodes bytes as UTF-8, replacing each maximal invalid subpart with one
// U+FFFD, so the result is always valid UTF-8.
std::string decode_utf8_lossy(std::string_view bytes);

// Decodes the code point at `at` of valid UTF-8 text and moves `at` past it.
char32_t next_code_point(std::string_view valid_utf8, std::size_t& at);

// The Unicode White_Space property.
bool is_white_space(char32_t code_point);

// Trim White_Space characters from valid UTF-8 text.
std::string_view trim_leading_white_space(std::string_view text);
std::string_view trim_white_space(std::string_view text);

// UTF-8 text to UTF-16 units; invalid UTF-8 becomes U+FFFD first.
std::u16string to_utf16(std::string_view text);

// UTF-16 units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string from_utf16(std::u16string_view units);

// Text from a system call that cuts it to fit the buffer. `fill(buffer,
// capacity)` returns the units written, or capacity or more when the text
// was cut, or 0 on failure; the buffer grows until the whole text fits. None
// on failure or past the longest path the system knows (32767 units).
std::optional<std::u16string> read_whole(const std::function<std::size_t(char16_t*, std::size_t)>& fill);

}  // namespace vantrel
