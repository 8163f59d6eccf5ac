#include "tooltip.h"

#include "wide.h"

#include <algorithm>

namespace vantrel {

void copy_tooltip(std::string_view text, char16_t* tip) {
    std::u16string units = to_wide(text);
    std::size_t count = std::min(units.size(), TOOLTIP_UNITS - 1);
    std::copy_n(units.begin(), count, tip);
}

}  // namespace vantrel
