// The state every thread shares: subscribers, when somebody was last seen and
// the uninstall request.
#pragma once

#include "platform/platform.h"
#include "server/binding.h"
#include "server/press.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace vantrel {

inline constexpr std::chrono::seconds IDLE_LIMIT_NEVER_SEEN{90};
inline constexpr std::chrono::seconds IDLE_LIMIT_SINCE_SEEN{20};

struct Subscriber {
    PressState pad_press;
    PressState key_press;
    Socket socket;
    std::uint64_t id = 0;
    Binding binding;
};

// Lock order: subscribers_lock before last_seen_lock; only the poll thread
// ever holds both.
struct HubState {
    explicit HubState(Instant started) : started_at(started) {}

    const Instant started_at;
    std::mutex subscribers_lock;
    std::vector<Subscriber> subscribers;
    std::atomic<std::uint64_t> next_subscriber_id{0};
    std::mutex last_seen_lock;
    std::optional<Instant> last_seen;
    std::atomic<bool> uninstall_requested{false};
    std::atomic<std::size_t> live_connections{0};  // connection threads alive, subscribers included
};

std::uint64_t subscriber_count(HubState& hub);
void add_subscriber(HubState& hub, Subscriber subscriber);
bool is_subscribed(HubState& hub, std::uint64_t id);
// Removes and closes the record with that id, if it is still listed.
void remove_subscriber(HubState& hub, std::uint64_t id);
void stamp_last_seen(HubState& hub, Instant now);
bool is_idle(HubState& hub, Instant now);

}  // namespace vantrel
