#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view TOOLTIP_WAITING = "Vantrel: waiting for the tracker";
inline constexpr std::string_view TOOLTIP_CONNECTED = "Vantrel: connected";
inline constexpr std::size_t TOOLTIP_UNITS = 128;  // szTip, zero unit included

inline std::string_view tooltip_text(bool connected) { return connected ? TOOLTIP_CONNECTED : TOOLTIP_WAITING; }

// The text as UTF-16, cut to TOOLTIP_UNITS - 1 units so that a zeroed tip
// buffer stays terminated.
std::u16string tooltip_units(std::string_view text);

}  // namespace vantrel
