#include "win/url_scheme_win.h"

#include "platform/handles_win.h"
#include "platform/wide_win.h"
#include "win/scheme.h"

#include <windows.h>

namespace vantrel {

namespace {

// Creates or opens HKCU\\sub_key and sets one REG_SZ; failures are silent.
void set_registry_string(std::string_view sub_key, const std::optional<std::string>& name, std::u16string_view data) {
    RegistryKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, to_wide(sub_key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, key.out(), nullptr) != ERROR_SUCCESS)
        return;
    std::wstring wide_name = name ? to_wide(*name) : std::wstring();
    std::wstring wide_data(data.begin(), data.end());
    RegSetValueExW(key.get(), name ? wide_name.c_str() : nullptr, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(wide_data.c_str()),
                   static_cast<DWORD>(registry_string_size(wide_data.size())));
}

}  // namespace

void register_url_scheme() {
    std::optional<std::wstring> path = exe_path();
    if (!path) return;  // a cut path would register another program
    for (const RegistryValue& value : scheme_registry_values(as_utf16(*path)))
        set_registry_string(value.key, value.name, value.data);
}

std::optional<std::wstring> exe_path() {
    return read_system_text([](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        return GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(capacity));  // capacity when cut
    });
}

}  // namespace vantrel
