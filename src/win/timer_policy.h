#pragma once

#include "platform/platform.h"

#include <chrono>

namespace vantrel {

inline constexpr std::chrono::seconds AUTO_OPEN_AFTER{3};
inline constexpr std::chrono::seconds AUTO_OPEN_BEFORE{4};

// The page opens on the one timer tick that falls strictly between 3 s and
// 4 s after a direct start; the one-second tick makes that happen once.
inline bool in_auto_open_window(Clock::duration since_start) {
    return since_start > AUTO_OPEN_AFTER && since_start < AUTO_OPEN_BEFORE;
}

}  // namespace vantrel
