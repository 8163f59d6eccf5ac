// What every answer is written with: the whole-write and the cross-origin
// lines.
#pragma once

#include "platform/platform.h"

#include <string>
#include <string_view>

namespace vantrel {

// Writes every byte or reports failure (an error, a zero-byte send or the
// socket's send time-out). The error itself is not kept.
bool send_all(const Socket& socket, std::string_view bytes);

// The three lines that let a page of `origin` read the answer.
std::string cors_headers(std::string_view origin);

}  // namespace vantrel
