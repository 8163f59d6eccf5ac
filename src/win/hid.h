#pragma once

#include "win/ps_reader.h"

#include <optional>

namespace vantrel {

// The system's HID calls, from libraries loaded from the system folder only;
// none when a library or an entry is missing.
std::optional<HidCalls> find_hid_calls();

}  // namespace vantrel
