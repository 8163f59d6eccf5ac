#include "server/messages.h"
#include "server/press.h"
#include "support/scripted_input.h"
#include "support/wire.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

using test::ScriptedInput;

// One step of a press as the poll loop would make it on one tick.
struct Step {
    std::uint64_t tick_ms;
    bool down;
    bool game;
    std::string expected;  // the message the step yields, or empty
};

std::string run_step(PressState& state, ScriptedInput& input, const Step& step, std::uint64_t hold_ms) {
    input.focused = step.game;
    FocusCache focus = FocusCache::NotAsked;
    std::string out;
    if (auto event = track_press(state, EventSource::Key, step.down, step.tick_ms, hold_ms, focus, input))
        append_event_message(out, *event);
    return out;
}

void run_steps(const std::vector<Step>& steps, std::uint64_t hold_ms = 400) {
    PressState state;
    ScriptedInput input;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.tick_ms);
        EXPECT_EQ(run_step(state, input, step, hold_ms), step.expected);
    }
}

const std::string DOWN = test::wire::down("key");
const std::string CHEST = test::wire::chest("key");
std::string up(std::uint64_t ms, bool game) { return test::wire::up("key", ms, game); }

TEST(TrackPress, ChestOnFirstTickAtOrPastThresholdWithGameInFront) {
    const std::uint64_t T = 123456;
    run_steps({{T, true, true, DOWN},
               {T + 380, true, true, ""},
               {T + 400, true, true, CHEST},
               {T + 420, true, true, ""},
               {T + 610, false, true, up(610, true)}});
}

TEST(TrackPress, ThresholdReachedBetweenTicksFiresOnTheNextTick) {
    run_steps({{1000, true, true, DOWN},
               {1390, true, true, ""},
               {1410, true, true, CHEST},
               {1500, false, false, up(500, false)}});
}

TEST(TrackPress, NoChestWhenGameIsNotInFrontAtTheThresholdTick) {
    run_steps({{0, true, false, DOWN},
               {400, true, false, ""},
               {500, true, true, ""},  // the game came to the front too late
               {900, true, true, ""},
               {1000, false, true, up(1000, true)}});
}

TEST(TrackPress, ShortPressGivesDownAndUpWithRealDuration) {
    run_steps(
        {{20, true, true, DOWN}, {40, true, true, ""}, {260, false, true, up(240, true)}, {280, false, true, ""}});
}

TEST(TrackPress, LongHoldGivesOneDownOneChestOneUp) {
    PressState state;
    ScriptedInput input;
    input.focused = true;
    std::string all;
    for (std::uint64_t t = 0; t <= 60000; t += 20) all += run_step(state, input, {t, true, true, ""}, 400);
    all += run_step(state, input, {60020, false, true, ""}, 400);
    EXPECT_EQ(all, DOWN + CHEST + up(60020, true));
}

TEST(TrackPress, NewPressClearsChestCheck) {
    run_steps({{0, true, false, DOWN},
               {400, true, false, ""},
               {420, false, false, up(420, false)},
               {440, true, true, DOWN},
               {840, true, true, CHEST},
               {860, false, true, up(420, true)}});
}

TEST(TrackPress, ExactHoldCounts) { run_steps({{0, true, true, DOWN}, {50, true, true, CHEST}}, 50); }

TEST(TrackPress, FocusIsAskedOnlyAtThresholdTestAndRelease) {
    PressState state;
    ScriptedInput input;
    FocusCache focus = FocusCache::NotAsked;
    track_press(state, EventSource::Pad, true, 0, 400, focus, input);
    track_press(state, EventSource::Pad, true, 200, 400, focus, input);
    EXPECT_EQ(input.focus_queries, 0);
    EXPECT_EQ(focus, FocusCache::NotAsked);
    track_press(state, EventSource::Pad, true, 400, 400, focus, input);
    EXPECT_EQ(input.focus_queries, 1);
    EXPECT_EQ(focus, FocusCache::No);
    // The same tick's answer is reused, even when the world changed since.
    input.focused = true;
    auto event = track_press(state, EventSource::Pad, false, 400, 400, focus, input);
    ASSERT_TRUE(event.has_value());
    EXPECT_FALSE(event->game);
    EXPECT_EQ(input.focus_queries, 1);
}

TEST(Messages, BytesOfEveryMessage) {
    std::string out;
    append_pad_message(out, true);
    append_pad_message(out, false);
    append_event_message(out, {PressKind::Down, EventSource::Pad});
    append_event_message(out, {PressKind::Chest, EventSource::Pad});
    append_event_message(out, {PressKind::Up, EventSource::Pad, 412, true});
    append_event_message(out, {PressKind::Up, EventSource::Key, 0, false});
    namespace wire = test::wire;
    EXPECT_EQ(out, wire::PAD_ON + wire::PAD_OFF + wire::down("pad") + wire::chest("pad") + wire::up("pad", 412, true) +
                       wire::up("key", 0, false));
    EXPECT_EQ(HELLO, wire::HELLO);
    EXPECT_EQ(KEEPALIVE, wire::PING);
}

}  // namespace
}  // namespace vantrel
