// Whether the window in front is the game.
#pragma once

#include <string_view>

namespace vantrel {

// The game is in front when the foreground window's class is "UnrealWindow",
// or its title, after leading white space, begins with "Fortnite".
bool is_game_window(std::string_view class_name, std::string_view title);

}  // namespace vantrel
