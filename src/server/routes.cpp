#include "server/routes.h"

#include "server/response.h"
#include "server/site.h"
#include "server/subscription.h"

#include <algorithm>

namespace vantrel {

bool origin_allowed(const std::optional<std::string>& origin) {
    return origin && std::find(ALLOWED_ORIGINS.begin(), ALLOWED_ORIGINS.end(), *origin) != ALLOWED_ORIGINS.end();
}

Answer choose_answer(const Request& request) {
    if (!origin_allowed(request.origin))
        return request.method == "GET" && request.route == "/" ? Answer::Running : Answer::Forbidden;
    if (request.method == "GET" && request.route == "/events") return Answer::EventStream;
    if (request.method == "POST" && request.route == "/uninstall") return Answer::Uninstall;
    if (request.method == "OPTIONS") return Answer::Preflight;
    return Answer::NotFound;
}

void answer_request(Socket socket, HubState& hub, const Request& request) {
    Answer answer = choose_answer(request);
    if (answer == Answer::EventStream) {
        subscribe(std::move(socket), hub, *request.origin, request.query);
        return;
    }
    if (answer == Answer::Uninstall) hub.uninstall_requested.store(true);
    write_plain_answer(std::move(socket), answer, request.origin.value_or(""));
}

}  // namespace vantrel
