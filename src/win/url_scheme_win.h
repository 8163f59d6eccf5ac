// The URL-scheme registration and the running program file's path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Writes the URL-scheme keys for the running program file; never fails outward.
void register_url_scheme();

// Full path of the running program file, whole and in the system's units;
// none when the system cannot give all of it.
std::optional<std::wstring> exe_path();

}  // namespace vantrel
