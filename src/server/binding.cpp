#include "server/binding.h"

#include "platform/text.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace vantrel {

namespace {

std::optional<std::uint64_t> parse_hold(std::string_view value) {
    if (!value.empty() && value.front() == '+') value.remove_prefix(1);
    if (value.empty()) return std::nullopt;
    std::uint64_t number = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        auto digit = static_cast<std::uint64_t>(c - '0');
        if (number > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
        number = number * 10 + digit;
    }
    return number;
}

std::optional<std::uint16_t> button_mask_for(std::string_view value) {
    if (value.size() != 1 || value[0] < '0' || static_cast<std::size_t>(value[0] - '0') >= BUTTON_MASKS.size())
        return std::nullopt;
    return BUTTON_MASKS[static_cast<std::size_t>(value[0] - '0')];
}

std::optional<std::uint32_t> key_code_for(std::string_view value) {
    if (value.size() != 1) return std::nullopt;
    char c = value[0];
    if (c >= 'a' && c <= 'z') return static_cast<std::uint32_t>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<std::uint32_t>(c);
    return std::nullopt;
}

}  // namespace

Binding parse_binding(std::string_view query) {
    Binding binding;
    while (!query.empty()) {
        auto [parameter, remaining] = split_once(query, '&');
        query = remaining;
        auto [name, value] = split_once(parameter, '=');
        if (name == "key") {
            if (auto code = key_code_for(value)) binding.key_code = *code;
        } else if (name == "button") {
            if (auto mask = button_mask_for(value)) binding.button_mask = *mask;
        } else if (name == "hold") {
            if (auto hold = parse_hold(value)) binding.hold_ms = std::clamp(*hold, HOLD_MS_MIN, HOLD_MS_MAX);
        }
    }
    return binding;
}

}  // namespace vantrel
