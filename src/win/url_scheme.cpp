#include "url_scheme.h"

#include "handles.h"
#include "scheme.h"
#include "wide.h"

#include <windows.h>

namespace vantrel {

namespace {

constexpr DWORD MODULE_PATH_UNITS = 1024;

}  // namespace

void register_url_scheme() {
    for (const RegistryValue& value : scheme_registry_values(exe_path()))
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

std::string exe_path() {
    char16_t buffer[MODULE_PATH_UNITS] = {};
    DWORD units = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(buffer), MODULE_PATH_UNITS);
    return from_wide(std::u16string_view(buffer, units > MODULE_PATH_UNITS ? MODULE_PATH_UNITS : units));
}

}  // namespace vantrel
