#include "win/scheme.h"

namespace vantrel {

std::array<RegistryValue, 4> scheme_registry_values(std::string_view program_path) {
    const std::string key(SCHEME_KEY);
    const std::string path(program_path);
    return {{
        {key, std::nullopt, "URL:Vantrel"},
        {key, "URL Protocol", ""},
        {key + "\\DefaultIcon", std::nullopt, "\"" + path + "\",0"},
        {key + "\\shell\\open\\command", std::nullopt, "\"" + path + "\" \"%1\""},
    }};
}

std::size_t registry_string_size(std::size_t units) { return (units + 1) * sizeof(char16_t); }

}  // namespace vantrel
