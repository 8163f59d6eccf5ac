// The event-stream query, straight from the page's URL.
#include "server/binding.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Binding binding = parse_binding(std::string_view(reinterpret_cast<const char*>(data), size));
    if (binding.hold_ms < HOLD_MS_MIN || binding.hold_ms > HOLD_MS_MAX) std::abort();
    bool digit = binding.key_code >= '0' && binding.key_code <= '9';
    bool letter = binding.key_code >= 'A' && binding.key_code <= 'Z';
    if (!digit && !letter) std::abort();
    if (std::find(BUTTON_MASKS.begin(), BUTTON_MASKS.end(), binding.button_mask) == BUTTON_MASKS.end()) std::abort();
    return 0;
}
