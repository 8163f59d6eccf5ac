#include "win/scheme.h"

namespace vantrel {

std::string scheme_key() { return "Software\\Classes\\" + std::string(URL_SCHEME); }

std::array<RegistryValue, 4> scheme_registry_values(std::u16string_view program_path) {
    const std::string key = scheme_key();
    const std::u16string path(program_path);
    return {{
        {key, std::nullopt, u"URL:Vantrel"},
        {key, "URL Protocol", u""},
        {key + "\\DefaultIcon", std::nullopt, u"\"" + path + u"\",0"},
        {key + "\\shell\\open\\command", std::nullopt, u"\"" + path + u"\" \"%1\""},
    }};
}

std::size_t registry_string_size(std::size_t units) { return (units + 1) * sizeof(char16_t); }

}  // namespace vantrel
