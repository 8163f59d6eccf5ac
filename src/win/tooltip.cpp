#include "win/tooltip.h"

#include "platform/text.h"

namespace vantrel {

std::u16string tooltip_units(std::string_view text) {
    std::u16string units = to_utf16(text);
    if (units.size() > TOOLTIP_UNITS - 1) units.resize(TOOLTIP_UNITS - 1);
    return units;
}

}  // namespace vantrel
