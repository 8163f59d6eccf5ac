// Reading and parsing the one request head a connection carries.
#pragma once

#include "platform/platform.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
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
    std::string path;
    std::string route;  // path before the first '?'
    std::string query;  // path after the first '?'
    std::optional<std::string> origin;
};

inline constexpr std::uint64_t DEFAULT_HOLD_MS = 400;
inline constexpr std::uint32_t DEFAULT_KEY_CODE = 0x45;       // E
inline constexpr std::uint16_t DEFAULT_BUTTON_MASK = 0x4000;  // X
inline constexpr std::uint64_t HOLD_MS_MIN = 50;
inline constexpr std::uint64_t HOLD_MS_MAX = 10000;
// The XInput button bit for each "button" value "0" to "5": A, B, X, Y, left
// and right shoulder.
inline constexpr std::array<std::uint16_t, 6> BUTTON_MASKS = {0x1000, 0x2000, 0x4000, 0x8000, 0x0100, 0x0200};

// What one subscriber watches.
struct Binding {
    std::uint64_t hold_ms = DEFAULT_HOLD_MS;
    std::uint32_t key_code = DEFAULT_KEY_CODE;
    std::uint16_t button_mask = DEFAULT_BUTTON_MASK;
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

// Never fails: whatever it does not understand leaves the defaults.
Binding parse_binding(std::string_view query);

}  // namespace vantrel
