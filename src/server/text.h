// UTF-8 handling shared by the request parser and the game-window test.
#pragma once

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

}  // namespace vantrel
