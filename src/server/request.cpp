#include "server/request.h"

#include "server/text.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace vantrel {

namespace {

constexpr std::string_view HEAD_END = "\r\n\r\n";
constexpr std::string_view LINE_END = "\r\n";

// Splits at the first `separator`; the second part is empty when it is absent.
std::pair<std::string_view, std::string_view> split_once(std::string_view text, char separator) {
    std::size_t at = text.find(separator);
    if (at == std::string_view::npos) return {text, {}};
    return {text.substr(0, at), text.substr(at + 1)};
}

bool is_origin_name(std::string_view name) {
    constexpr std::string_view ORIGIN = "origin";
    return name.size() == ORIGIN.size() && std::equal(name.begin(), name.end(), ORIGIN.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? a + ('a' - 'A') : a) == b;
           });
}

std::optional<std::uint64_t> parse_hold(std::string_view value) {
    if (!value.empty() && value.front() == '+') value.remove_prefix(1);
    if (value.empty()) return std::nullopt;
    std::uint64_t number = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        auto digit = static_cast<std::uint64_t>(c - '0');
        if (number > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
        number = number * 10 + digit;
    }
    return number;
}

std::optional<std::uint16_t> button_mask_for(std::string_view value) {
    if (value.size() != 1 || value[0] < '0' || static_cast<std::size_t>(value[0] - '0') >= BUTTON_MASKS.size())
        return std::nullopt;
    return BUTTON_MASKS[static_cast<std::size_t>(value[0] - '0')];
}

std::optional<std::uint32_t> key_code_for(std::string_view value) {
    if (value.size() != 1) return std::nullopt;
    char c = value[0];
    if (c >= 'a' && c <= 'z') return static_cast<std::uint32_t>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<std::uint32_t>(c);
    return std::nullopt;
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
    request.path = split_once(request_line.substr(method_end + 1), ' ').first;
    auto [route, query] = split_once(request.path, '?');
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

Binding parse_binding(std::string_view query) {
    Binding binding;
    while (!query.empty()) {
        auto [parameter, remaining] = split_once(query, '&');
        query = remaining;
        auto [name, value] = split_once(parameter, '=');
        if (name == "key") {
            if (auto code = key_code_for(value)) binding.key_code = *code;
        } else if (name == "button") {
            if (auto mask = button_mask_for(value)) binding.button_mask = *mask;
        } else if (name == "hold") {
            if (auto hold = parse_hold(value)) binding.hold_ms = std::clamp(*hold, HOLD_MS_MIN, HOLD_MS_MAX);
        }
    }
    return binding;
}

}  // namespace vantrel
