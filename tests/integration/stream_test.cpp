// Subscriptions and the poll loop over real loopback sockets, with the
// loop's ticks and clock driven by the test.
#include "server/connection.h"
#include "server/messages.h"
#include "server/poll_loop.h"
#include "server/subscription.h"
#include "support/loopback.h"
#include "support/scripted_input.h"
#include "support/wire.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::nothing_pending;
using test::read_exactly;
using test::ScriptedInput;

const std::string ORIGIN = test::wire::DEV;
const std::string HEAD = test::wire::stream_head(ORIGIN);
using test::wire::PAD_OFF;
using test::wire::PAD_ON;
using test::wire::PING;
const std::string PAD_DOWN = test::wire::down("pad");
const std::string KEY_DOWN = test::wire::down("key");

class Stream : public ::testing::Test {
protected:
    // Opens a stream and waits until its record is listed.
    Socket subscribe(std::string_view query = "") {
        std::size_t before = subscriber_count(*server.hub);
        Socket client = server.request("GET /events" + std::string(query.empty() ? "" : "?") + std::string(query) +
                                       " HTTP/1.1\r\nOrigin: " + ORIGIN + "\r\n\r\n");
        EXPECT_EQ(read_exactly(client, HEAD.size() + test::wire::HELLO.size()), HEAD + test::wire::HELLO);
        EXPECT_TRUE(test::wait_until([&] { return subscriber_count(*server.hub) == before + 1; }));
        return client;
    }

    void tick(std::chrono::milliseconds at) { poll_tick(*server.hub, input, state, server.hub->started_at + at); }

    LoopbackServer server;
    ScriptedInput input;
    PollState state{.pad_state = PadState::Unannounced, .last_ping = server.hub->started_at};
};

TEST_F(Stream, HeadHelloAndBindingFromTheQuery) {
    Socket first = subscribe("button=1");
    Socket second = subscribe("key=q&button=3&hold=250");
    std::lock_guard lock(server.hub->subscribers_lock);
    const auto& list = server.hub->subscribers;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].id, 0u);
    EXPECT_EQ(list[1].id, 1u);
    EXPECT_EQ(list[0].binding.button_mask, 0x2000);
    EXPECT_EQ(list[0].binding.key_code, 0x45u);
    EXPECT_EQ(list[0].binding.hold_ms, 400u);
    EXPECT_EQ(list[1].binding.button_mask, 0x8000);
    EXPECT_EQ(list[1].binding.key_code, 0x51u);
    EXPECT_EQ(list[1].binding.hold_ms, 250u);
    EXPECT_FALSE(list[0].pad_press.down_since.has_value());
}

TEST_F(Stream, EmptyTicksSampleNothing) {
    tick(20ms);
    tick(16s);
    EXPECT_EQ(input.pad_reads + input.key_queries + input.focus_queries, 0);
    EXPECT_EQ(state.last_ping, server.hub->started_at);
    std::lock_guard lock(server.hub->last_seen_lock);
    EXPECT_FALSE(server.hub->last_seen.has_value());
}

TEST_F(Stream, ControllerStateIsAnnouncedOnFirstTickAndOnChange) {
    Socket first = subscribe();
    tick(20ms);
    EXPECT_EQ(read_exactly(first, PAD_OFF.size()), PAD_OFF);
    tick(40ms);
    EXPECT_TRUE(nothing_pending(first));  // quiet tick: no write at all

    Socket second = subscribe();
    tick(60ms);
    EXPECT_TRUE(nothing_pending(second));  // joined after the announcement
    input.pad.connected = true;
    tick(80ms);
    EXPECT_EQ(read_exactly(first, PAD_ON.size()), PAD_ON);
    EXPECT_EQ(read_exactly(second, PAD_ON.size()), PAD_ON);
    EXPECT_EQ(input.pad_reads, 4);
}

TEST_F(Stream, AnEmptyPeriodForcesTheNextAnnouncement) {
    {
        Socket first = subscribe();
        tick(20ms);
        EXPECT_EQ(read_exactly(first, PAD_OFF.size()), PAD_OFF);
    }
    ASSERT_TRUE(test::wait_until([&] { return subscriber_count(*server.hub) == 0; }));
    tick(40ms);
    EXPECT_EQ(state.pad_state, PadState::Unannounced);
    Socket second = subscribe();
    tick(60ms);
    EXPECT_EQ(read_exactly(second, PAD_OFF.size()), PAD_OFF);
}

TEST_F(Stream, OneWriteHoldsControllerPadEventKeyEventThenKeepAlive) {
    Socket client = subscribe("button=0&key=a");
    input.pad = {true, 0x1000};
    input.keys = {0x41};
    tick(15s + 1ms);
    std::string expected = PAD_ON + PAD_DOWN + KEY_DOWN + PING;
    EXPECT_EQ(read_exactly(client, expected.size()), expected);
    EXPECT_TRUE(nothing_pending(client));
}

TEST_F(Stream, ControllerUnpluggedWhileHeldGivesUpWithTheTimeHeld) {
    Socket client = subscribe("button=0");
    input.pad = {true, 0x1000};
    tick(100ms);
    EXPECT_EQ(read_exactly(client, PAD_ON.size() + PAD_DOWN.size()), PAD_ON + PAD_DOWN);
    input.pad = {false, 0x1000};  // buttons mean nothing once disconnected
    tick(340ms);
    const std::string expected = PAD_OFF + test::wire::up("pad", 240, false);
    EXPECT_EQ(read_exactly(client, expected.size()), expected);
}

TEST_F(Stream, KeepAliveStrictlyAfterFifteenSeconds) {
    Socket client = subscribe();
    tick(20ms);
    EXPECT_EQ(read_exactly(client, PAD_OFF.size()), PAD_OFF);
    tick(15s);
    EXPECT_TRUE(nothing_pending(client));
    tick(15s + 1ms);
    EXPECT_EQ(read_exactly(client, PING.size()), PING);
    tick(30s + 1ms);
    EXPECT_TRUE(nothing_pending(client));
    tick(30s + 2ms);
    EXPECT_EQ(read_exactly(client, PING.size()), PING);
}

TEST_F(Stream, EventsFollowEachSubscribersOwnBindingAndClock) {
    Socket a = subscribe("key=a&hold=50");
    Socket b = subscribe("key=b&hold=400");
    tick(1000ms);
    read_exactly(a, PAD_OFF.size());
    read_exactly(b, PAD_OFF.size());
    input.keys = {0x41, 0x42};
    input.focused = true;
    tick(1020ms);
    EXPECT_EQ(read_exactly(a, KEY_DOWN.size()), KEY_DOWN);
    EXPECT_EQ(read_exactly(b, KEY_DOWN.size()), KEY_DOWN);
    tick(1070ms);
    const std::string chest = test::wire::chest("key");
    EXPECT_EQ(read_exactly(a, chest.size()), chest);
    EXPECT_TRUE(nothing_pending(b));
    input.keys = {0x42};
    tick(1090ms);
    const std::string up = test::wire::up("key", 70, true);
    EXPECT_EQ(read_exactly(a, up.size()), up);
    EXPECT_TRUE(nothing_pending(b));
    EXPECT_EQ(input.focus_queries, 2);  // once per tick that needed it
}

TEST_F(Stream, FailedWriteDropsOnlyThatSubscriberAndServesTheRest) {
    Socket first = subscribe();
    Socket middle = subscribe();
    Socket third = subscribe();
    Socket original_middle;
    {
        // Give the middle record a connection whose writes fail.
        LoopbackServer other;
        Socket broken = other.connect();
        shutdown_both(broken);
        std::lock_guard lock(server.hub->subscribers_lock);
        original_middle = std::move(server.hub->subscribers[1].socket);
        server.hub->subscribers[1].socket = std::move(broken);
    }
    tick(20ms);
    EXPECT_EQ(read_exactly(first, PAD_OFF.size()), PAD_OFF);
    EXPECT_EQ(read_exactly(third, PAD_OFF.size()), PAD_OFF);
    std::lock_guard lock(server.hub->subscribers_lock);
    ASSERT_EQ(server.hub->subscribers.size(), 2u);
    EXPECT_EQ(server.hub->subscribers[0].id, 0u);
    EXPECT_EQ(server.hub->subscribers[1].id, 2u);
    std::lock_guard seen(server.hub->last_seen_lock);
    EXPECT_EQ(server.hub->last_seen, server.hub->started_at + 20ms);
}

TEST_F(Stream, AByteFromTheClientEndsItsSubscription) {
    Socket client = subscribe();
    test::send_text(client, "x");
    EXPECT_TRUE(test::wait_until([&] { return subscriber_count(*server.hub) == 0; }));
    EXPECT_TRUE(test::stream_ends(client));
}

TEST_F(Stream, LastSeenIsStampedAtTheRemovalNotTheLastTick) {
    Instant tick_instant = server.hub->started_at;  // surely before the removal
    {
        Socket client = subscribe();
        tick(0ms);
    }
    server.join();
    std::lock_guard lock(server.hub->last_seen_lock);
    ASSERT_TRUE(server.hub->last_seen.has_value());
    EXPECT_GT(*server.hub->last_seen, tick_instant);
    EXPECT_EQ(server.hub->next_subscriber_id.load(), 1u);
}

// A dropped subscriber's socket is shut down, but Windows does not promise
// that this wakes the watcher; with the socket left as it is, the watcher
// must still end, through the product's accept path, and free its slot.
TEST_F(Stream, WatcherEndsOnceItsRecordIsGoneWhileTheClientStaysConnected) {
    std::optional<Socket> listener = listen_loopback(0, 4);
    ASSERT_TRUE(listener);
    std::optional<Socket> client = connect_loopback(local_port(*listener));
    ASSERT_TRUE(client);
    accept_next(*listener, server.hub);
    test::send_text(*client, "GET /events HTTP/1.1\r\nOrigin: " + ORIGIN + "\r\n\r\n");
    ASSERT_EQ(read_exactly(*client, HEAD.size() + test::wire::HELLO.size()), HEAD + test::wire::HELLO);
    ASSERT_TRUE(test::wait_until([&] { return subscriber_count(*server.hub) == 1; }));
    EXPECT_EQ(server.hub->live_connections.load(), 1u);
    Socket untouched;
    {
        std::lock_guard lock(server.hub->subscribers_lock);
        untouched = std::move(server.hub->subscribers[0].socket);
        server.hub->subscribers.clear();
    }
    EXPECT_TRUE(test::wait_until([&] { return server.hub->live_connections.load() == 0; }, 2s));
    EXPECT_TRUE(nothing_pending(*client));  // the connection itself was left open
}

// A client that stops reading is dropped at its first write that cannot
// finish within the send time-out; the others lose nothing, and the dropped
// client, once it reads again, finds the stream ended.
TEST_F(Stream, StalledSubscriberIsDroppedAndSeesTheStreamEnd) {
    Socket first = subscribe("key=a");
    Socket stalled = subscribe("key=a");
    Socket third = subscribe("key=a");
    // The stalled one backs up within kilobytes; the others' buffers hold
    // all that is written before the drop, so they are read only afterwards
    // and never have to keep up, however loaded the machine.
    constexpr int SMALL = 4096, LARGE = 1 << 18;
    test::set_buffers(stalled, SMALL);
    test::set_buffers(first, LARGE);
    test::set_buffers(third, LARGE);
    {
        std::lock_guard lock(server.hub->subscribers_lock);
        for (std::size_t at : {0, 1, 2}) test::set_buffers(server.hub->subscribers[at].socket, at == 1 ? SMALL : LARGE);
    }
    ScriptedInput local;
    PollState poll{.pad_state = PadState::Unannounced, .last_ping = server.hub->started_at};
    int presses = 0;
    for (int n = 0; n < 100000 && subscriber_count(*server.hub) == 3; ++n) {
        bool down = n % 2 == 0;
        local.keys = down ? std::set<std::uint32_t>{0x41} : std::set<std::uint32_t>{};
        poll_tick(*server.hub, local, poll, server.hub->started_at + std::chrono::milliseconds(n));
        presses += down;
    }
    auto count_downs = [&](const Socket& client) {
        std::string received;
        for (std::string more; !(more = read_exactly(client, 1 << 16, 200ms)).empty();) received += more;
        int downs = 0;
        for (std::size_t at = 0; (at = received.find(KEY_DOWN, at)) != std::string::npos; at += KEY_DOWN.size())
            ++downs;
        return downs;
    };
    ASSERT_EQ(subscriber_count(*server.hub), 2u);
    EXPECT_EQ(count_downs(first), presses);
    EXPECT_EQ(count_downs(third), presses);
    EXPECT_TRUE(test::stream_ends(stalled));
}

}  // namespace
}  // namespace vantrel
