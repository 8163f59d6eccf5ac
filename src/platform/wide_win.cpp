#include "platform/wide_win.h"

#include "platform/text.h"

namespace vantrel {

std::wstring to_wide(std::string_view text) {
    std::u16string units = to_utf16(text);
    return std::wstring(units.begin(), units.end());
}

std::string from_wide(std::wstring_view units) { return from_utf16(as_utf16(units)); }

std::u16string_view as_utf16(std::wstring_view units) {
    return {reinterpret_cast<const char16_t*>(units.data()), units.size()};
}

std::wstring_view as_wide(std::u16string_view units) {
    return {reinterpret_cast<const wchar_t*>(units.data()), units.size()};
}

std::optional<std::wstring> read_system_text(const std::function<std::size_t(wchar_t*, std::size_t)>& fill) {
    constexpr std::size_t LONGEST = 32768;  // past the longest path the system knows
    for (std::size_t capacity = 256; capacity <= LONGEST; capacity *= 2) {
        std::wstring buffer(capacity, L'\0');
        std::size_t units = fill(buffer.data(), capacity);
        if (units == 0) return std::nullopt;
        if (units < capacity) {
            buffer.resize(units);
            return buffer;
        }
    }
    return std::nullopt;
}

}  // namespace vantrel
