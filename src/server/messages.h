// The bytes of every message on the event stream after its head.
#pragma once

#include "server/press.h"
#include "version.h"  // generated

#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view HELLO = "data: {\"type\":\"hello\",\"version\":\"" VANTREL_VERSION "\"}\n\n";
inline constexpr std::string_view KEEPALIVE = ": ping\n\n";

void append_pad_message(std::string& out, bool connected);
void append_event_message(std::string& out, const PressEvent& event);

}  // namespace vantrel
