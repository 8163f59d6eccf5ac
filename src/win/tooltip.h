#pragma once

#include <cstddef>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view TOOLTIP_WAITING = "Vantrel: waiting for the tracker";
inline constexpr std::string_view TOOLTIP_CONNECTED = "Vantrel: connected";
inline constexpr std::size_t TOOLTIP_UNITS = 128;  // szTip, zero unit included

inline std::string_view tooltip_text(bool connected) { return connected ? TOOLTIP_CONNECTED : TOOLTIP_WAITING; }

// Transcodes text into a zeroed tip buffer of TOOLTIP_UNITS units, writing
// at most TOOLTIP_UNITS - 1 so the tip always stays terminated.
void copy_tooltip(std::string_view text, char16_t* tip);

}  // namespace vantrel
