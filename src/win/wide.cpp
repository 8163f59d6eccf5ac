#include "win/wide.h"

#include "server/text.h"

namespace vantrel {

std::wstring to_wide(std::string_view text) {
    std::u16string units = to_utf16(text);
    return std::wstring(units.begin(), units.end());
}

std::string from_wide(std::wstring_view units) { return from_utf16(as_utf16(units)); }

std::u16string_view as_utf16(std::wstring_view units) {
    return {reinterpret_cast<const char16_t*>(units.data()), units.size()};
}

std::optional<std::wstring> read_system_text(const std::function<std::size_t(wchar_t*, std::size_t)>& fill) {
    std::optional<std::u16string> text = read_whole(
        [&](char16_t* buffer, std::size_t capacity) { return fill(reinterpret_cast<wchar_t*>(buffer), capacity); });
    if (!text) return std::nullopt;
    return std::wstring(text->begin(), text->end());
}

}  // namespace vantrel
