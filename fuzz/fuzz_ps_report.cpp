// Controller reports: bytes from a device, any length, any content.
#include "input/ps_report.h"
#include "server/input_source.h"

#include <cstdint>
#include <cstdlib>
#include <span>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    PsModel model = data[0] & 1 ? PsModel::DualSense : PsModel::DualShock4;
    std::optional<PsState> state = parse_ps_report(model, std::span(data + 1, size - 1));
    constexpr std::uint16_t six_buttons =
        BUTTON_A | BUTTON_B | BUTTON_X | BUTTON_Y | BUTTON_LEFT_SHOULDER | BUTTON_RIGHT_SHOULDER;
    if (state && (state->buttons & ~six_buttons) != 0) std::abort();
    return 0;
}
