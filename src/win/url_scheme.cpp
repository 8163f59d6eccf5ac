#include "url_scheme.h"

#include "handles.h"
#include "scheme.h"
#include "wide.h"

#include <windows.h>

namespace vantrel {

void register_url_scheme() {
    std::optional<std::string> path = exe_path();
    if (!path) return;  // a cut path would register another program
    for (const RegistryValue& value : scheme_registry_values(*path))
        set_registry_string(value.key, value.name, value.data);
}

void set_registry_string(std::string_view sub_key, const std::optional<std::string>& name, std::string_view data) {
    RegistryKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wide_ptr(to_wide(sub_key)), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, key.out(), nullptr) != ERROR_SUCCESS)
        return;
    std::u16string wide_name = name ? to_wide(*name) : std::u16string();
    std::u16string wide_data = to_wide(data);
    RegSetValueExW(key.get(), name ? wide_ptr(wide_name) : nullptr, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(wide_data.c_str()),
                   static_cast<DWORD>(registry_string_size(wide_data)));
}

std::optional<std::string> exe_path() {
    std::optional<std::u16string> path = read_whole([](char16_t* buffer, std::size_t capacity) -> std::size_t {
        return GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(buffer), static_cast<DWORD>(capacity));
    });
    if (!path) return std::nullopt;
    return from_wide(*path);
}

}  // namespace vantrel
