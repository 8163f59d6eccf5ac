// XInput controllers: which slot to read, and how often to look for one.
#pragma once

#include "platform/platform.h"
#include "server/input_source.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>

namespace vantrel {

inline constexpr std::chrono::seconds PAD_RESCAN_INTERVAL{1};
inline constexpr std::uint32_t PAD_SLOTS = 4;

// Layout of XINPUT_STATE; only wButtons is used.
struct XInputState {
    std::uint32_t packet_number;
    std::uint16_t buttons;
    std::uint8_t left_trigger;
    std::uint8_t right_trigger;
    std::int16_t thumb_lx, thumb_ly, thumb_rx, thumb_ry;
};
static_assert(sizeof(XInputState) == 16);

// XInputGetState: 0 when a controller answers in that slot.
using GetStateFn = std::uint32_t (*)(std::uint32_t slot, XInputState* state);

struct XInputReader {
    std::mutex lock;
    std::optional<std::uint32_t> active_pad;
    std::optional<Instant> last_scan;
    GetStateFn get_state = nullptr;
};

// Asks the slot in use; when it is silent, scans all four slots at most once
// per PAD_RESCAN_INTERVAL.
InputSample read_xinput(XInputReader& reader, Instant now);

}  // namespace vantrel
