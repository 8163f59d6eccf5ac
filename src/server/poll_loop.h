// Every 20 ms: sample the input once and serve every subscriber.
#pragma once

#include "server/hub.h"
#include "server/input_source.h"
#include "server/press.h"

#include <chrono>
#include <cstdint>
#include <memory>

namespace vantrel {

inline constexpr std::chrono::milliseconds POLL_INTERVAL{20};
inline constexpr std::chrono::seconds KEEPALIVE_INTERVAL{15};

enum class PadState { Unannounced, Connected, Disconnected };

// What the loop remembers between ticks.
struct PollState {
    PadState pad_state = PadState::Unannounced;
    Instant last_ping;
};

// One tick's work after the wait, at instant `now`.
void poll_tick(HubState& hub, InputSource& input, PollState& state, Instant now);

[[noreturn]] void poll_loop(std::shared_ptr<HubState> hub, std::unique_ptr<InputSource> input);

}  // namespace vantrel
