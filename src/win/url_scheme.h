#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Writes the URL-scheme keys for the running program file; never fails outward.
void register_url_scheme();

// Creates or opens HKCU\sub_key and sets one REG_SZ; failures are silent.
void set_registry_string(std::string_view sub_key, const std::optional<std::string>& name, std::string_view data);

// Full path of the running program file, whole; none when the system cannot
// give all of it.
std::optional<std::string> exe_path();

}  // namespace vantrel
