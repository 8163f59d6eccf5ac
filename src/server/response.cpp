#include "server/response.h"

#include <climits>
#include <cstddef>

namespace vantrel {

bool send_all(const Socket& socket, std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t chunk = bytes.size() > INT_MAX ? INT_MAX : bytes.size();
        std::ptrdiff_t sent = send_some(socket, bytes.data(), chunk);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::string cors_headers(std::string_view origin) {
    std::string block = "Access-Control-Allow-Origin: ";
    block += origin;
    block += "\r\nAccess-Control-Allow-Private-Network: true\r\nVary: Origin\r\n";
    return block;
}

}  // namespace vantrel
