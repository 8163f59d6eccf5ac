// A request head as any local process or web page could send it.
#include "server/request.h"
#include "server/response.h"
#include "server/routes.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view head(reinterpret_cast<const char*>(data), size);
    std::optional<Request> request = parse_request(head);
    if (!request) return 0;
    // The route and query always rebuild the path.
    std::string rebuilt = request->route;
    if (request->path.size() != request->route.size()) rebuilt += "?" + request->query;
    if (rebuilt != request->path) std::abort();
    Answer answer = choose_answer(*request);
    bool allowed = origin_allowed(request->origin);
    // Only allowed origins ever reach anything but the running answer or 403.
    if (!allowed && answer != Answer::Running && answer != Answer::Forbidden) std::abort();
    if (allowed) cors_headers(*request->origin);
    parse_binding(request->query);
    return 0;
}
