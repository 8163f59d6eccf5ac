#include "input/xinput_reader.h"

namespace vantrel {

namespace {

std::optional<std::uint16_t> ask_slot(GetStateFn get_state, std::uint32_t slot) {
    XInputState state{};
    if (get_state == nullptr || get_state(slot, &state) != 0) return std::nullopt;
    return state.buttons;
}

}  // namespace

InputSample read_xinput(XInputReader& reader, Instant now) {
    std::lock_guard lock(reader.lock);
    if (reader.active_pad) {
        if (auto buttons = ask_slot(reader.get_state, *reader.active_pad)) return {true, *buttons};
        reader.active_pad.reset();
    }
    if (reader.last_scan && elapsed(*reader.last_scan, now) < PAD_RESCAN_INTERVAL) return {};
    reader.last_scan = now;
    for (std::uint32_t slot = 0; slot < PAD_SLOTS; ++slot) {
        if (auto buttons = ask_slot(reader.get_state, slot)) {
            reader.active_pad = slot;
            return {true, *buttons};
        }
    }
    return {};
}

}  // namespace vantrel
