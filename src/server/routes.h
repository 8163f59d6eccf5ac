// Which answer a parsed request gets, and the answer itself.
#pragma once

#include "platform/platform.h"
#include "server/hub.h"
#include "server/request.h"
#include "server/response.h"

#include <optional>
#include <string>

namespace vantrel {

// Exact, case-sensitive match against ALLOWED_ORIGINS; absent never matches.
bool origin_allowed(const std::optional<std::string>& origin);
Answer choose_answer(const Request& request);

// Answers the request; an event-stream request becomes a subscription that
// lasts until its client goes away.
void answer_request(Socket socket, HubState& hub, const Request& request);

}  // namespace vantrel
