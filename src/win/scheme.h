// What the URL-scheme registration writes, for a given program path.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view URL_SCHEME = "zendry-chests";

// Where the scheme is registered, under HKEY_CURRENT_USER.
std::string scheme_key();

struct RegistryValue {
    std::string key;                  // under HKEY_CURRENT_USER
    std::optional<std::string> name;  // none: the key's default value
    std::u16string data;              // REG_SZ
};

// In the order they are written; the path goes in unit for unit.
std::array<RegistryValue, 4> scheme_registry_values(std::u16string_view program_path);

// Bytes handed to the registry for a REG_SZ of that many UTF-16 units: the
// units plus the zero unit.
std::size_t registry_string_size(std::size_t units);

}  // namespace vantrel
