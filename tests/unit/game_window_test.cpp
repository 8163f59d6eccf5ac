#include "input/game_window.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(GameWindow, ClassOrTitleAfterLeadingWhiteSpace) {
    EXPECT_TRUE(is_game_window("UnrealWindow", ""));
    EXPECT_TRUE(is_game_window("UnrealWindow", "Anything"));
    EXPECT_TRUE(is_game_window("Other", "Fortnite"));
    EXPECT_TRUE(is_game_window("Other",
                               " \t\xC2\xA0\xE3\x80\x80"
                               "Fortnite  "));
    EXPECT_TRUE(is_game_window("", "FortniteClient-Win64-Shipping"));
    EXPECT_FALSE(is_game_window("unrealwindow", ""));
    EXPECT_FALSE(is_game_window("UnrealWindow2", ""));
    EXPECT_FALSE(is_game_window("Other", "fortnite"));
    EXPECT_FALSE(is_game_window("Other", "Play Fortnite"));
    EXPECT_FALSE(is_game_window("Other", "Fortnit"));
}

}  // namespace
}  // namespace vantrel
