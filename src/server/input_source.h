// How the poll loop sees the controller, the keyboard and the game window.
#pragma once

#include <cstdint>

namespace vantrel {

// The XInput button bits the program reads; every controller's buttons are
// mapped onto them.
inline constexpr std::uint16_t BUTTON_A = 0x1000;
inline constexpr std::uint16_t BUTTON_B = 0x2000;
inline constexpr std::uint16_t BUTTON_X = 0x4000;
inline constexpr std::uint16_t BUTTON_Y = 0x8000;
inline constexpr std::uint16_t BUTTON_LEFT_SHOULDER = 0x0100;
inline constexpr std::uint16_t BUTTON_RIGHT_SHOULDER = 0x0200;

struct InputSample {
    bool connected = false;
    std::uint16_t buttons = 0;  // XInput wButtons; meaningless unless connected
};

class InputSource {
public:
    virtual ~InputSource() = default;
    virtual InputSample read_pad() = 0;
    virtual bool key_down(std::uint32_t key_code) = 0;
    virtual bool game_focused() = 0;
};

}  // namespace vantrel
