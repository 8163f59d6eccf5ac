// The poll loop's view of this PC: controllers, keyboard, the window in front.
#pragma once

#include "input/ps_reader.h"
#include "input/xinput_reader.h"
#include "server/input_source.h"

#include <memory>

namespace vantrel {

// The first XInputGetState found in the controller libraries, or none.
GetStateFn find_controller_entry();

class WinInputSource final : public InputSource {
public:
    // `playstation` is fed by the PlayStation reader thread, if one runs.
    WinInputSource(GetStateFn get_state, std::shared_ptr<PsPad> playstation) : playstation_(std::move(playstation)) {
        xinput_.get_state = get_state;
    }
    InputSample read_pad() override;
    bool key_down(std::uint32_t key_code) override;
    bool game_focused() override;

private:
    XInputReader xinput_;
    std::shared_ptr<PsPad> playstation_;
};

}  // namespace vantrel
