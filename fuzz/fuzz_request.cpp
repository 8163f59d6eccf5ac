// A request head as any local process or web page could send it.
#include "server/binding.h"
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
    // The route ends at the query and the path at its space.
    if (request->route.find_first_of("? ") != std::string::npos || request->query.find(' ') != std::string::npos)
        std::abort();
    Answer answer = choose_answer(*request);
    bool allowed = origin_allowed(request->origin);
    // Only allowed origins ever reach anything but the running answer or 403.
    if (!allowed && answer != Answer::Running && answer != Answer::Forbidden) std::abort();
    if (allowed) cors_headers(*request->origin);
    parse_binding(request->query);
    return 0;
}
