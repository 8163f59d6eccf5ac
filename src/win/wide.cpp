#include "wide.h"

#include "../server/text.h"

namespace vantrel {

namespace {

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::u16string to_wide(std::string_view text) {
    const std::string valid = decode_utf8_lossy(text);
    std::u16string units;
    units.reserve(valid.size());
    for (std::size_t at = 0; at < valid.size();) {
        char32_t c = next_code_point(valid, at);
        if (c < 0x10000) {
            units += static_cast<char16_t>(c);
        } else {
            c -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (c >> 10));
            units += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
    }
    return units;
}

std::string from_wide(std::u16string_view units) {
    std::string text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        if (is_high_surrogate(unit) && i + 1 < units.size() && is_low_surrogate(units[i + 1])) {
            append_utf8(text, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00));
            ++i;
        } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
            append_utf8(text, 0xFFFD);
        } else {
            append_utf8(text, unit);
        }
    }
    return text;
}

std::optional<std::u16string> read_whole(const std::function<std::size_t(char16_t*, std::size_t)>& fill) {
    constexpr std::size_t LONGEST = 32768;
    for (std::size_t capacity = 256; capacity <= LONGEST; capacity *= 2) {
        std::u16string buffer(capacity, u'\0');
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
