#include "server/hub.h"

#include <algorithm>

namespace vantrel {

namespace {

std::vector<Subscriber>::iterator find_subscriber(HubState& hub, std::uint64_t id) {
    return std::find_if(hub.subscribers.begin(), hub.subscribers.end(),
                        [id](const Subscriber& subscriber) { return subscriber.id == id; });
}

}  // namespace

std::uint64_t subscriber_count(HubState& hub) {
    std::lock_guard lock(hub.subscribers_lock);
    return hub.subscribers.size();
}

void add_subscriber(HubState& hub, Subscriber subscriber) {
    std::lock_guard lock(hub.subscribers_lock);
    hub.subscribers.push_back(std::move(subscriber));
}

bool is_subscribed(HubState& hub, std::uint64_t id) {
    std::lock_guard lock(hub.subscribers_lock);
    return find_subscriber(hub, id) != hub.subscribers.end();
}

void remove_subscriber(HubState& hub, std::uint64_t id) {
    std::lock_guard lock(hub.subscribers_lock);
    auto found = find_subscriber(hub, id);
    if (found != hub.subscribers.end()) hub.subscribers.erase(found);
}

void stamp_last_seen(HubState& hub, Instant now) {
    std::lock_guard lock(hub.last_seen_lock);
    hub.last_seen = now;
}

bool is_idle(HubState& hub, Instant now) {
    if (subscriber_count(hub) != 0) return false;
    std::lock_guard lock(hub.last_seen_lock);
    if (!hub.last_seen) return elapsed(hub.started_at, now) > IDLE_LIMIT_NEVER_SEEN;
    return elapsed(*hub.last_seen, now) > IDLE_LIMIT_SINCE_SEEN;
}

}  // namespace vantrel
