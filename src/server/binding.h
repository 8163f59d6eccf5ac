// What one subscriber watches, read from its query.
#pragma once

#include "server/input_source.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace vantrel {

inline constexpr std::uint64_t DEFAULT_HOLD_MS = 400;
inline constexpr std::uint32_t DEFAULT_KEY_CODE = 0x45;  // E
inline constexpr std::uint64_t HOLD_MS_MIN = 50;
inline constexpr std::uint64_t HOLD_MS_MAX = 10000;
// The bit for each "button" value "0" to "5".
inline constexpr std::array<std::uint16_t, 6> BUTTON_MASKS = {
    BUTTON_A, BUTTON_B, BUTTON_X, BUTTON_Y, BUTTON_LEFT_SHOULDER, BUTTON_RIGHT_SHOULDER};
inline constexpr std::uint16_t DEFAULT_BUTTON_MASK = BUTTON_MASKS[2];  // X

// What one subscriber watches.
struct Binding {
    std::uint64_t hold_ms = DEFAULT_HOLD_MS;
    std::uint32_t key_code = DEFAULT_KEY_CODE;
    std::uint16_t button_mask = DEFAULT_BUTTON_MASK;
};

// Never fails: whatever it does not understand leaves the defaults.
Binding parse_binding(std::string_view query);

}  // namespace vantrel
