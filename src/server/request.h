// Reading and parsing the one request head a connection carries.
#pragma once

#include "platform/platform.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::size_t READ_CHUNK = 1024;
inline constexpr std::size_t HEAD_LIMIT = 8192;
inline constexpr std::chrono::milliseconds HEAD_READ_TIMEOUT{2000};  // each read
inline constexpr std::chrono::milliseconds HEAD_DEADLINE{5000};      // the whole head

struct Request {
    std::string method;
    std::string route;  // the path before the first '?'
    std::string query;  // the path after the first '?'
    std::optional<std::string> origin;
};

// How many of the bytes received so far make the head: through its blank
// line, or all of them once HEAD_LIMIT is reached without one; none while
// more must come.
std::optional<std::size_t> head_length(std::string_view received);

// Reads until the head's blank line or past the head limit; none when the
// peer closed, a read failed, a read waited HEAD_READ_TIMEOUT or the whole
// head took longer than HEAD_DEADLINE. Sets the socket's receive time-out.
std::optional<std::string> read_head(const Socket& socket);

// None when the request line has no path field.
std::optional<Request> parse_request(std::string_view head);

}  // namespace vantrel
