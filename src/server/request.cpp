#include "server/request.h"

#include "platform/text.h"

#include <algorithm>
#include <array>

namespace vantrel {

namespace {

constexpr std::string_view HEAD_END = "\r\n\r\n";
constexpr std::string_view LINE_END = "\r\n";

bool is_origin_name(std::string_view name) {
    constexpr std::string_view ORIGIN = "origin";
    return name.size() == ORIGIN.size() && std::equal(name.begin(), name.end(), ORIGIN.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? a + ('a' - 'A') : a) == b;
           });
}

}  // namespace

std::optional<std::size_t> head_length(std::string_view received) {
    std::size_t blank_line = received.find(HEAD_END);
    if (blank_line != std::string_view::npos) return blank_line + HEAD_END.size();
    if (received.size() >= HEAD_LIMIT) return received.size();
    return std::nullopt;
}

std::optional<std::string> read_head(const Socket& socket) {
    // Without a deadline for the whole head, a client that sends a byte just
    // within every read time-out holds its thread for hours.
    const Instant deadline = Clock::now() + HEAD_DEADLINE;
    std::string head;
    std::array<char, READ_CHUNK> scratch;
    for (;;) {
        if (std::optional<std::size_t> length = head_length(head)) {
            head.resize(*length);  // a body is never read
            return head;
        }
        std::ptrdiff_t received =
            recv_before(socket, scratch.data(), scratch.size(), std::min(deadline, Clock::now() + HEAD_READ_TIMEOUT));
        if (received <= 0) return std::nullopt;
        head.append(scratch.data(), static_cast<std::size_t>(received));
    }
}

std::optional<Request> parse_request(std::string_view head) {
    std::string text = decode_utf8_lossy(head);
    std::string_view rest = text;
    std::size_t line_end = rest.find(LINE_END);
    std::string_view request_line = rest.substr(0, line_end);
    rest = line_end == std::string_view::npos ? std::string_view{} : rest.substr(line_end + LINE_END.size());

    std::size_t method_end = request_line.find(' ');
    if (method_end == std::string_view::npos) return std::nullopt;
    Request request;
    request.method = request_line.substr(0, method_end);
    std::string_view path = split_once(request_line.substr(method_end + 1), ' ').first;
    auto [route, query] = split_once(path, '?');
    request.route = route;
    request.query = query;

    // Only the head's lines: what follows the blank line is a body, which
    // anyone can fill with text that looks like a header.
    while (!request.origin) {
        line_end = rest.find(LINE_END);
        std::string_view line = rest.substr(0, line_end);
        if (line.empty()) break;
        std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && is_origin_name(line.substr(0, colon)))
            request.origin = std::string(trim_white_space(line.substr(colon + 1)));
        if (line_end == std::string_view::npos) break;
        rest.remove_prefix(line_end + LINE_END.size());
    }
    return request;
}

}  // namespace vantrel
