#include "server/poll_loop.h"

#include "server/messages.h"
#include "server/response.h"

#include <vector>

namespace vantrel {

namespace {

// What one tick shares among its subscribers.
struct TickContext {
    std::string prefix;  // the controller message of this tick, or empty
    InputSample sample;
    InputSource& input;
    std::uint64_t tick_ms = 0;
    FocusCache focus = FocusCache::NotAsked;
    bool keepalive_due = false;
};

// False when the subscriber's write failed and it must be dropped.
bool serve_subscriber(TickContext& context, Subscriber& subscriber) {
    std::string buffer = context.prefix;
    const Binding& binding = subscriber.binding;
    bool pad_pressed = context.sample.connected && (context.sample.buttons & binding.button_mask) != 0;
    bool key_pressed = context.input.key_down(binding.key_code);
    if (auto event = track_press(subscriber.pad_press, EventSource::Pad, pad_pressed, context.tick_ms, binding.hold_ms,
                                 context.focus, context.input))
        append_event_message(buffer, *event);
    if (auto event = track_press(subscriber.key_press, EventSource::Key, key_pressed, context.tick_ms, binding.hold_ms,
                                 context.focus, context.input))
        append_event_message(buffer, *event);
    if (context.keepalive_due) buffer += KEEPALIVE;
    if (buffer.empty()) return true;
    return send_all(subscriber.socket, buffer);
}

}  // namespace

void poll_tick(HubState& hub, InputSource& input, PollState& state, Instant now) {
    std::lock_guard lock(hub.subscribers_lock);
    if (hub.subscribers.empty()) {
        state.pad_state = PadState::Unannounced;
        return;
    }
    stamp_last_seen(hub, now);
    const auto age = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed(hub.started_at, now));
    TickContext context{
        .prefix = {}, .sample = input.read_pad(), .input = input, .tick_ms = static_cast<std::uint64_t>(age.count())};
    PadState sampled = context.sample.connected ? PadState::Connected : PadState::Disconnected;
    if (state.pad_state != sampled) {
        append_pad_message(context.prefix, context.sample.connected);
        state.pad_state = sampled;
    }
    context.keepalive_due = elapsed(state.last_ping, now) > KEEPALIVE_INTERVAL;
    if (context.keepalive_due) state.last_ping = now;

    std::vector<Subscriber>& list = hub.subscribers;
    std::size_t kept = 0;
    for (std::size_t at = 0; at < list.size(); ++at) {
        if (!serve_subscriber(context, list[at])) {
            // Closing alone would leave the connection open through the
            // watcher's handle: the page would sit on a silent stream and
            // never reconnect.
            shutdown_both(list[at].socket);
            continue;
        }
        if (kept != at) list[kept] = std::move(list[at]);
        ++kept;
    }
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(kept), list.end());
}

void poll_loop(std::shared_ptr<HubState> hub, std::unique_ptr<InputSource> input) {
    PollState state{.pad_state = PadState::Unannounced, .last_ping = Clock::now()};
    for (;;) {
        wait_interval(POLL_INTERVAL);
        poll_tick(*hub, *input, state, Clock::now());
    }
}

}  // namespace vantrel
