#include "server/press.h"

namespace vantrel {

namespace {

bool ask_focus(FocusCache& focus, InputSource& input) {
    if (focus == FocusCache::NotAsked) focus = input.game_focused() ? FocusCache::Yes : FocusCache::No;
    return focus == FocusCache::Yes;
}

}  // namespace

std::optional<PressEvent> track_press(PressState& state, EventSource source, bool pressed_now, std::uint64_t tick_ms,
                                      std::uint64_t hold_ms, FocusCache& focus, InputSource& input) {
    if (!pressed_now) {
        if (!state.down_since) return std::nullopt;
        std::uint64_t held_ms = tick_ms - *state.down_since;
        state.down_since.reset();
        return PressEvent{PressKind::Up, source, held_ms, ask_focus(focus, input)};
    }
    if (!state.down_since) {
        state.down_since = tick_ms;
        state.chest_checked = false;
        return PressEvent{PressKind::Down, source};
    }
    if (state.chest_checked || tick_ms - *state.down_since < hold_ms) return std::nullopt;
    // Checked before the focus is asked: a game that comes to the front later
    // in the same press does not earn a chest.
    state.chest_checked = true;
    if (!ask_focus(focus, input)) return std::nullopt;
    return PressEvent{PressKind::Chest, source};
}

}  // namespace vantrel
