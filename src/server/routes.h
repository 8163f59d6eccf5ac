// Which answer a parsed request gets, and the plain answers themselves.
#pragma once

#include "hub.h"
#include "platform.h"
#include "request.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view SITE_ORIGIN = "https://zendry.gg";
inline constexpr std::string_view TRACKER_URL = "https://zendry.gg/chests";
inline constexpr std::array<std::string_view, 3> ALLOWED_ORIGINS = {SITE_ORIGIN, "http://localhost:3000",
                                                                    "http://127.0.0.1:3000"};

inline constexpr std::string_view STATUS_OK = "200 OK";
inline constexpr std::string_view STATUS_NO_CONTENT = "204 No Content";
inline constexpr std::string_view STATUS_FORBIDDEN = "403 Forbidden";
inline constexpr std::string_view STATUS_NOT_FOUND = "404 Not Found";
inline constexpr std::string_view RUNNING_BODY = "Vantrel is running.\n";
inline constexpr std::string_view PREFLIGHT_ADDITION = "Access-Control-Allow-Methods: GET, POST\r\n";

enum class Answer { Running, Forbidden, EventStream, Uninstall, Preflight, NotFound };

// Exact, case-sensitive match against ALLOWED_ORIGINS; absent never matches.
bool origin_allowed(const std::optional<std::string>& origin);
Answer choose_answer(const Request& request);

std::string cors_headers(std::string_view origin);

// Writes the response piece by piece, stopping at the first failed piece,
// then closes the socket: after a whole answer, only once the peer has
// closed, has sent 64 KiB more or has had a second.
void write_plain_response(Socket socket, std::string_view status, std::string_view extra_headers,
                          std::string_view body);

// Answers the request; an event-stream request becomes a subscription that
// lasts until its client goes away.
void answer_request(Socket socket, HubState& hub, const Request& request);

}  // namespace vantrel
