// Was this copy started through the URL scheme or directly?
#pragma once

#include "win/scheme.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Splits a command line by the platform's standard rules: the program path
// first (quotes removed, backslashes literal), then the arguments.
std::vector<std::u16string> split_command_line(std::u16string_view command_line);

// True when an argument after the program path begins with the scheme's
// name and a colon, as the shell passes a link.
bool started_through_scheme(std::u16string_view command_line);

}  // namespace vantrel
