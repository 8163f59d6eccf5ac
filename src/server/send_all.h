#pragma once

#include "platform.h"

#include <string_view>

namespace vantrel {

// Writes every byte or reports failure (an error, a zero-byte send or the
// socket's send time-out). The error itself is not kept.
bool send_all(const Socket& socket, std::string_view bytes);

}  // namespace vantrel
