// Which controller the poll loop sees when there are several kinds.
#pragma once

#include "input/ps_reader.h"
#include "input/xinput_reader.h"
#include "server/input_source.h"

namespace vantrel {

// While an XInput controller answers it is the one reported; otherwise the
// PlayStation controller's latest state.
inline InputSample read_any_pad(XInputReader& xinput, PsPad& playstation, Instant now) {
    InputSample sample = read_xinput(xinput, now);
    return sample.connected ? sample : ask_ps_pad(playstation, now);
}

}  // namespace vantrel
