// The bytes of every message on the event stream after its head.
#pragma once

#include "press.h"

#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view VERSION = "1.1.0";
inline constexpr std::string_view HELLO = "data: {\"type\":\"hello\",\"version\":\"1.1.0\"}\n\n";
inline constexpr std::string_view KEEPALIVE = ": ping\n\n";
static_assert(HELLO.size() == 42 && HELLO.find(VERSION) != std::string_view::npos);

void append_pad_message(std::string& out, bool connected);
void append_event_message(std::string& out, const PressEvent& event);

}  // namespace vantrel
