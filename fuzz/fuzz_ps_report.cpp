// Controller reports: bytes from a device, any length, any content.
#include "win/ps_report.h"

#include <cstdint>
#include <cstdlib>
#include <span>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    PsModel model = data[0] & 1 ? PsModel::DualSense : PsModel::DualShock4;
    std::optional<PsState> state = parse_ps_report(model, std::span(data + 1, size - 1));
    constexpr std::uint16_t SIX_BUTTONS = 0x1000 | 0x2000 | 0x4000 | 0x8000 | 0x0100 | 0x0200;
    if (state && (state->buttons & ~SIX_BUTTONS) != 0) std::abort();
    return 0;
}
