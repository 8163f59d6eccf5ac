#include "input/game_window.h"

#include "platform/text.h"

namespace vantrel {

bool is_game_window(std::string_view class_name, std::string_view title) {
    return class_name == "UnrealWindow" || trim_leading_white_space(title).starts_with("Fortnite");
}

}  // namespace vantrel
