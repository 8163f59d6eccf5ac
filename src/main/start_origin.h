// Was this copy started through the URL scheme or directly?
#pragma once

#include "win/scheme.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

inline constexpr std::string_view SCHEME_PREFIX = "zendry-chests:";
static_assert(SCHEME_PREFIX.starts_with(URL_SCHEME) && SCHEME_PREFIX.size() == URL_SCHEME.size() + 1 &&
              SCHEME_PREFIX.back() == ':');

// Splits a command line by the platform's standard rules: the program path
// first (quotes removed, backslashes literal), then the arguments.
std::vector<std::u16string> split_command_line(std::u16string_view command_line);

// True when an argument after the program path begins with SCHEME_PREFIX.
bool started_through_scheme(std::u16string_view command_line);

}  // namespace vantrel
