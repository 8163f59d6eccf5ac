#include "platform/text.h"

namespace vantrel {

namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";  // U+FFFD

struct LeadByte {
    int continuation_bytes;  // 0 marks a byte that cannot start a sequence
    unsigned char first_low;
    unsigned char first_high;  // range of the first continuation byte
};

// Well-formed sequences per Unicode Table 3-7; the narrowed first
// continuation ranges exclude overlongs, surrogates and values past U+10FFFF.
LeadByte classify(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return {1, 0x80, 0xBF};
    if (lead == 0xE0) return {2, 0xA0, 0xBF};
    if (lead == 0xED) return {2, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return {2, 0x80, 0xBF};
    if (lead == 0xF0) return {3, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {3, 0x80, 0xBF};
    if (lead == 0xF4) return {3, 0x80, 0x8F};
    return {0, 0, 0};
}

// Length of the valid UTF-8 sequence that starts with `lead`.
std::size_t sequence_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
}

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

char32_t decode_at(std::string_view text, std::size_t at, std::size_t length) {
    static constexpr unsigned char LEAD_MASK[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code_point = static_cast<unsigned char>(text[at]) & LEAD_MASK[length];
    for (std::size_t i = 1; i < length; ++i)
        code_point = (code_point << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    return code_point;
}

// Decodes the code point at `at` of valid UTF-8 text and moves `at` past it.
char32_t next_code_point(std::string_view valid_utf8, std::size_t& at) {
    std::size_t length = sequence_length(static_cast<unsigned char>(valid_utf8[at]));
    if (at + length > valid_utf8.size()) length = valid_utf8.size() - at;
    char32_t code_point = decode_at(valid_utf8, at, length);
    at += length;
    return code_point;
}

// The Unicode White_Space property.
bool is_white_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

}  // namespace

std::string decode_utf8_lossy(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text += static_cast<char>(lead);
            ++i;
            continue;
        }
        LeadByte kind = classify(lead);
        std::size_t end = i + 1;
        int matched = 0;
        unsigned char low = kind.first_low, high = kind.first_high;
        while (matched < kind.continuation_bytes && end < bytes.size()) {
            auto next = static_cast<unsigned char>(bytes[end]);
            if (next < low || next > high) break;
            ++end;
            ++matched;
            low = 0x80;
            high = 0xBF;
        }
        if (kind.continuation_bytes > 0 && matched == kind.continuation_bytes)
            text.append(bytes.substr(i, end - i));
        else
            text += REPLACEMENT;
        i = end;
    }
    return text;
}

std::string_view trim_leading_white_space(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t next = at;
        if (!is_white_space(next_code_point(text, next))) break;
        at = next;
    }
    return text.substr(at);
}

std::string_view trim_white_space(std::string_view text) {
    text = trim_leading_white_space(text);
    std::size_t end = text.size();
    while (end > 0) {
        std::size_t start = end - 1;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
        if (end - start > 4 || !is_white_space(decode_at(text, start, end - start))) break;
        end = start;
    }
    return text.substr(0, end);
}

std::u16string to_utf16(std::string_view text) {
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

std::string from_utf16(std::u16string_view units) {
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

std::pair<std::string_view, std::string_view> split_once(std::string_view text, char separator) {
    std::size_t at = text.find(separator);
    if (at == std::string_view::npos) return {text, {}};
    return {text.substr(0, at), text.substr(at + 1)};
}

}  // namespace vantrel
