#pragma once

#include "win/pad_reader.h"
#include "server/input_source.h"

namespace vantrel {

#include <memory>

// The first XInputGetState found in the controller libraries, or none.
GetStateFn find_controller_entry();

class WinInputSource final : public InputSource {
public:
    // `playstation` is fed by the PlayStation reader thread, if one runs.
    WinInputSource(GetStateFn get_state, std::shared_ptr<PsPad> playstation) : playstation_(std::move(playstation)) {
        pad_.get_state = get_state;
    }
    InputSample read_pad() override;
    bool key_down(std::uint32_t key_code) override;
    bool game_focused() override;

private:
    PadReader pad_;
    std::shared_ptr<PsPad> playstation_;
};

}  // namespace vantrel
