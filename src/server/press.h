// Turns per-tick input samples into down, up and chest events.
#pragma once

#include "server/input_source.h"

#include <cstdint>
#include <optional>

namespace vantrel {

enum class EventSource { Pad, Key };
enum class PressKind { Down, Up, Chest };

struct PressState {
    std::optional<std::uint64_t> down_since;  // tick_ms at which the press was first seen
    bool chest_checked = false;               // this press has had its threshold test
};

struct PressEvent {
    PressKind kind;
    EventSource source;
    std::uint64_t held_ms = 0;  // Up only
    bool game = false;          // Up only
};

// The game-focus answer of one tick, asked at most once and shared by every
// subscriber of the tick.
enum class FocusCache { NotAsked, Yes, No };

std::optional<PressEvent> track_press(PressState& state, EventSource source, bool pressed_now, std::uint64_t tick_ms,
                                      std::uint64_t hold_ms, FocusCache& focus, InputSource& input);

}  // namespace vantrel
