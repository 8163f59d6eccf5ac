// Text: UTF-8 decoding, UTF-16 conversion, Unicode white space and splitting,
// for the request parser, the shell's rules and every string that crosses
// into the system.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace vantrel {

// Decodes bytes as UTF-8, replacing each maximal invalid subpart with one
// U+FFFD, so the result is always valid UTF-8.
std::string decode_utf8_lossy(std::string_view bytes);

// Trim Unicode White_Space characters from valid UTF-8 text.
std::string_view trim_leading_white_space(std::string_view text);
std::string_view trim_white_space(std::string_view text);

// UTF-8 text to UTF-16 units; invalid UTF-8 becomes U+FFFD first.
std::u16string to_utf16(std::string_view text);

// UTF-16 units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string from_utf16(std::u16string_view units);

// Splits at the first `separator`; the second part is empty when it is absent.
std::pair<std::string_view, std::string_view> split_once(std::string_view text, char separator);

}  // namespace vantrel
