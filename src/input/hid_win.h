// The Windows side of the HID seam.
#pragma once

#include "input/hid_system.h"

#include <memory>

namespace vantrel {

// The system's HID devices, through libraries from the system folder only;
// none when a library or an entry is missing.
std::unique_ptr<HidSystem> find_hid_system();

}  // namespace vantrel
