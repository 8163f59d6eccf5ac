// How the poll loop sees the controller, the keyboard and the game window.
#pragma once

#include <cstdint>

namespace vantrel {

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
