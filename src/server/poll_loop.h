// Every 20 ms: sample the input once and serve every subscriber.
#pragma once

#include "hub.h"
#include "input_source.h"
#include "press.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace vantrel {

inline constexpr std::chrono::milliseconds POLL_INTERVAL{20};
inline constexpr std::chrono::seconds KEEPALIVE_INTERVAL{15};

enum class PadState { Unannounced, Connected, Disconnected };

// What the loop remembers between ticks.
struct PollState {
    PadState pad_state = PadState::Unannounced;
    Instant last_ping;
};

// What one tick shares among its subscribers.
struct TickContext {
    std::string prefix;  // the controller message of this tick, or empty
    InputSample sample;
    InputSource& source;
    std::uint64_t tick_ms = 0;
    FocusCache focus = FocusCache::NotAsked;
    bool keepalive_due = false;
};

// False when the subscriber's write failed and it must be dropped.
bool serve_subscriber(TickContext& context, Subscriber& subscriber);

// One tick's work after the wait, at instant `now`.
void poll_tick(HubState& hub, InputSource& source, PollState& state, Instant now);

[[noreturn]] void poll_loop(std::shared_ptr<HubState> hub, std::unique_ptr<InputSource> source);

}  // namespace vantrel
